#include "shell/finstalacao.h"

#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "platform/form.h"
#include "core/paths.h"
#include "shell/accessimport.h"
#include "shell/fsair.h"
#include "shell/services/procedures.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace kq::shell {

using kq::platform::Dialogs;
using kq::platform::RuntimeError;

namespace {

const QString kNome = QStringLiteral("finstalacao");

// A value of a desktop entry's Exec key: the program quoted, with the
// characters that the quoting and the entry format reserve escaped.
QString execValue(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // The entry format itself reads "\\" as one backslash.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw RuntimeError(
            75, QStringLiteral("Erro de acesso ao arquivo %1: %2").arg(path, file.errorString()),
            kNome);
}

QString cleanFolder(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(path);
}

} // namespace

void gravarSysIni(const QString &sysIniPath, const QString &dataFolder)
{
    writeFile(sysIniPath, (dataFolder + QStringLiteral("\r\n")).toUtf8());
}

QString desktopEntry(const QString &executable, const QString &icon)
{
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=kq-730 Sistema de Vantesca\n"
                                   "Comment=Cobrança de cheques devolvidos\n"
                                   "Exec=%1\n"
                                   "Terminal=false\n"
                                   "Categories=Office;Finance;\n")
                        .arg(execValue(executable));
    if (!icon.isEmpty())
        entry += QStringLiteral("Icon=%1\n").arg(icon);
    return entry;
}

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // The screens' own colours: cyan fading to a deep teal.
    QLinearGradient back(0, 0, 0, s);
    back.setColorAt(0, QColor(0, 255, 255));
    back.setColorAt(1, QColor(0, 90, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.16, s * 0.16);
    // A cheque.
    const QRectF cheque(s * 0.12, s * 0.30, s * 0.76, s * 0.40);
    p.setBrush(QColor(255, 255, 240));
    p.setPen(QPen(QColor(0, 60, 80), s * 0.015));
    p.drawRoundedRect(cheque, s * 0.03, s * 0.03);
    p.drawLine(QPointF(s * 0.20, s * 0.60), QPointF(s * 0.62, s * 0.60));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(qMax(1, int(s * 0.16)));
    p.setFont(font);
    p.setPen(QColor(0, 60, 80));
    p.drawText(QRectF(s * 0.18, s * 0.33, s * 0.62, s * 0.22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KQ"));
    p.setPen(QColor(200, 0, 0));
    p.drawText(QRectF(s * 0.45, s * 0.33, s * 0.40, s * 0.22), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("R$"));
    return image;
}

QString gravarIcone()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                           + QStringLiteral("/icons/hicolor/256x256/apps");
    const QString path = folder + QStringLiteral("/kq-730.png");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    programIcon(256).save(&buffer, "PNG");
    if (!QDir().mkpath(folder))
        throw RuntimeError(76, QStringLiteral("Caminho não encontrado: %1").arg(folder), kNome);
    writeFile(path, png);
    return path;
}

namespace {

void writeLauncher(const QString &folder, const QString &name, const QByteArray &entry)
{
    if (!QDir().mkpath(folder))
        throw RuntimeError(76, QStringLiteral("Caminho não encontrado: %1").arg(folder), kNome);
    const QString path = folder + QLatin1Char('/') + name;
    writeFile(path, entry);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

// Desktops that ask before starting a launcher of the desktop folder keep
// their consent in the file's metadata; without gio there is nothing to mark.
void marcarConfiavel(const QString &path)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess process;
    process.start(gio, {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"),
                        QStringLiteral("true")});
    if (!process.waitForFinished(5000))
        process.kill();
}

} // namespace

QString criarAtalho(const QString &desktopFolder, const QString &executable)
{
    if (desktopFolder.isEmpty())
        throw RuntimeError(76, QStringLiteral("Área de trabalho não encontrada."), kNome);
    const QByteArray entry = desktopEntry(executable, gravarIcone()).toUtf8();
    writeLauncher(desktopFolder, kAtalho, entry);
    writeLauncher(applicationsFolder(), kLancadorMenu, entry);
    const QString path = desktopFolder + QLatin1Char('/') + kAtalho;
    marcarConfiavel(path);
    return path;
}

QString desktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString applicationsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QStringList installPlaces()
{
    QStringList places{QDir::homePath(), QStringLiteral("/")};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !volume.device().startsWith("/dev/"))
            continue;
        const QString root = volume.rootPath();
        if (root.startsWith(QStringLiteral("/boot")) || root.startsWith(QStringLiteral("/snap")))
            continue;
        if (!places.contains(root))
            places << root;
    }
    return places;
}

finstalacao::finstalacao(QWidget *parent)
    : Screen(QStringLiteral("finstalacao"), parent)
{
    buildControls();
    Form_Load();
}

void finstalacao::buildControls()
{
    using namespace kq::platform::form;
    setWindowTitle(QStringLiteral("Instalador de Sistemas"));
    setGradient(true);
    setTwipsSize(10500, 7800);

    auto *title
        = named<QLabel>(QStringLiteral("Label1"), this, QStringLiteral("Instalador de Sistemas"));
    title->setStyleSheet(QStringLiteral("color: white; font-size: 16pt; font-weight: bold;"));

    Drive = known<QComboBox>(QStringLiteral("Drive"), this);
    for (const QString &place : installPlaces())
        Drive->addItem(
            place == QDir::homePath() ? place + QStringLiteral("  (pasta pessoal)") : place, place);

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setRootPath(QStringLiteral("/"));
    Dir = known<QTreeView>(QStringLiteral("Dir"), this);
    Dir->setModel(m_dirModel);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        Dir->hideColumn(c);
    Dir->header()->hide();

    File = known<QListWidget>(QStringLiteral("File"), this);

    DS_DIRETORIO = named<QLabel>(QStringLiteral("DS_DIRETORIO"), this);
    DS_DIRETORIO->setTextInteractionFlags(Qt::TextSelectableByMouse);
    DS_DIRETORIO->setStyleSheet(QStringLiteral("font-weight: bold;"));
    ds_banco = named<QLabel>(QStringLiteral("ds_banco"), this);
    ds_banco->setStyleSheet(QStringLiteral("font-weight: bold;"));

    auto *padrao = named<QLabel>(
        QStringLiteral("Label2"), this,
        QStringLiteral("Diretório padrão de instalação: %1").arg(kq::platform::programFolder()));
    padrao->setStyleSheet(QStringLiteral("color: white;"));

    Command4 = button(QStringLiteral("Command4"),
                      QStringLiteral(" I - Criar Arquivo de Configuração"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral(" II - Criar Atalhos"), this);
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("&Sair  III"), this);

    const auto step = [this](const char *text) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setWordWrap(true);
        return l;
    };
    auto *instrucoes
        = group(QStringLiteral("Instruções"),
                Column{step("1-) Localize o Diretório de Instalação onde Conterá o Banco de dados"),
                       step("2-) Click em CriarArquivo de Configuração "),
                       step("3-) Click em Criar Atalhos "),
                       step("Confira se aparece o camnho no campo diretório se sim e so clicar nos "
                            "botões I, II e III na ordem")},
                this, QStringLiteral("Frame1"));
    // The place and its folders beside the folder's databases, the choice below.
    auto *escolha
        = group(QString(),
                Grid{{Drive, new QLabel(QStringLiteral("Bancos de dados da pasta:"), this)},
                     {Dir, File},
                     {Item(Grid{{field(QStringLiteral("Diretório:"), DS_DIRETORIO)},
                                {field(QStringLiteral("Banco de dados:"), ds_banco)}}
                               .columnStretch(1, 1))
                          .span(2)}}
                    .columnStretch(0, 3)
                    .columnStretch(1, 2),
                this, QStringLiteral("Frame2"));
    for (QGroupBox *g : {instrucoes, escolha})
        g->setAutoFillBackground(true);

    Column{title, instrucoes, Item(escolha).grow(1), padrao, Row{Command4, Command1, Command6}}
        .attachTo(this);

    // The folders load in the background: show the chosen one once its way is there.
    connectTrapped(m_dirModel, &QFileSystemModel::directoryLoaded, [this] {
        const QModelIndex current = Dir->currentIndex();
        if (current.isValid())
            Dir->scrollTo(current, QAbstractItemView::PositionAtCenter);
    });
    connectTrapped(Drive, &QComboBox::activated, [this] { Drive_Change(); });
    connectTrapped(Dir->selectionModel(), &QItemSelectionModel::currentChanged,
                   [this] { Dir_Change(); });
    connectTrapped(Command4, &QPushButton::clicked, &finstalacao::Command4_Click);
    connectTrapped(Command1, &QPushButton::clicked, &finstalacao::Command1_Click);
    connectTrapped(Command6, &QPushButton::clicked, &finstalacao::Command6_Click);
}

void finstalacao::Form_Load()
{
    // Show the database the program really opens, not an old file name.
    ds_banco->setText(kq::data::kDevolvidos);
    m_programFolder = cleanFolder(kq::platform::programFolder());
    DS_DIRETORIO->setText(m_programFolder);

    // The place that holds the program folder: the longest one that leads to it.
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < Drive->count(); ++i) {
        const QString place = Drive->itemData(i).toString();
        const QString prefix = place.endsWith(QLatin1Char('/')) ? place : place + QLatin1Char('/');
        if ((m_programFolder == place || m_programFolder.startsWith(prefix))
            && place.size() > bestLength) {
            best = i;
            bestLength = int(place.size());
        }
    }
    if (best >= 0)
        Drive->setCurrentIndex(best);
    m_place = Drive->currentData().toString();

    if (!QFileInfo(m_programFolder).isDir()) {
        Dialogs::message(QStringLiteral("Caminho não disponível"));
        return;
    }
    setDirectory(m_programFolder);
}

QString finstalacao::directory() const
{
    return cleanFolder(m_dirModel->filePath(Dir->currentIndex()));
}

void finstalacao::setDirectory(const QString &path)
{
    const QModelIndex index = m_dirModel->index(cleanFolder(path));
    if (!index.isValid())
        return;
    if (Dir->currentIndex() == index) {
        Dir_Change();
    } else {
        Dir->setCurrentIndex(index);
    }
    Dir->scrollTo(index);
    Dir->expand(index);
}

void finstalacao::Drive_Change()
{
    const QString place = Drive->currentData().toString();
    const QFileInfo info(place);
    if (!info.isDir() || !info.isReadable()) {
        Dialogs::message(QStringLiteral("Drive não acessível"));
        const int back = Drive->findData(m_place);
        if (back >= 0)
            Drive->setCurrentIndex(back);
        return;
    }
    m_place = place;
    setDirectory(place);
}

void finstalacao::Dir_Change()
{
    DS_DIRETORIO->setText(directory());
    refreshFiles();
}

void finstalacao::refreshFiles()
{
    File->clear();
    const QString folder = DS_DIRETORIO->text();
    if (folder.isEmpty())
        return;
    const QStringList names{kq::data::kDevolvidos, kq::data::kMenu, kq::data::kHelp,
                            kq::data::kTutorial};
    File->addItems(QDir(folder).entryList(names, QDir::Files, QDir::Name));
}

void finstalacao::Command4_Click()
{
    const QString folder = DS_DIRETORIO->text();
    if (folder.isEmpty()) {
        Dialogs::message(
            QStringLiteral("Não posso criar arquivo de configuração com diretório vazio!!"));
        return;
    }
    // The databases of the old program are imported first, when the office wants.
    if (!offerAccessImport(folder, this)) {
        refreshFiles();
        return;
    }
    const bool ok = trap(kNome, [&] {
        kq::data::prepareDataFolder(folder);
        gravarSysIni(kq::platform::programFile(QStringLiteral("sys.ini")), folder);
    });
    refreshFiles();
    if (ok)
        Dialogs::message(QStringLiteral("Arquivo de Configuração Criado com sucesso!!"));
}

void finstalacao::Command1_Click()
{
    const bool ok = trap(
        kNome, [&] { criarAtalho(desktopFolder(), QCoreApplication::applicationFilePath()); });
    if (ok)
        Dialogs::message(QStringLiteral("Atalho Criado com sucesso!!"));
}

void finstalacao::Command6_Click()
{
    close();
    EncerrarPrograma();
}

} // namespace kq::shell
