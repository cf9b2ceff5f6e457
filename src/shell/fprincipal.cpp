#include "shell/fprincipal.h"

#include "data/database.h"
#include "data/datafolder.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "platform/buttonbar.h"
#include "platform/gradient.h"
#include "core/paths.h"
#include "platform/placement.h"
#include "platform/screenregistry.h"
#include "platform/statusbar.h"
#include "shell/services/appstate.h"
#include "shell/monetaryupdate.h"
#include "shell/services/procedures.h"
#include "shell/rules/session.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <QUrl>

namespace kq::shell {

using kq::platform::twipsToPixels;

namespace {
const MenuTarget kMenu[] = {
    {1, 1, "ffornecedores", "debtor register"},
    {1, 2, "fusuarios", "user register"},
    {1, 3, "flojas", "store register"},
    {1, 4, "fdestinos", "destination register"},
    {1, 5, "fsituacao", "situation register"},
    {1, 6, "fcontas", "bank-domicile register"},
    {1, 7, "fdocumentos", "document-type register"},
    {1, 8, "ftutorial", "tutorial videos"},
    {2, 1, "flancheques", "returned-cheque entry"},
    {2, 2, "fvantesca", "debtor follow-up and simulation"},
    {2, 3, "fagenda", "scheduled contacts"},
    {2, 4, "fbaixar", "instalment write-off"},
    {2, 5, "fcorrecao", "monthly correction factors"},
    {3, 1, "fconsultas1", "cheque query"},
    {3, 2, "fconsulta2", "instalment query"},
    {3, 3, "fconsulta3", "agreement query"},
    {4, 1, "frelatorios", "returned-cheque reports"},
    {4, 2, "frelatoriosvantesca", "follow-up reports"},
    {4, 3, "frelatorioscliente", "one debtor's reports"},
    {4, 4, "frelatoriosfinanceiros", "agreement and instalment reports"},
    {5, 1, "fparametros", "office data and letter texts"},
    {5, 2, "fmostralog", "the user's activity logs"},
    {6, 1, "fcubovendas", "sales cube"},
};

const char *const kGroups[]
    = {"Cadastros", "Lançamentos", "Consultas", "Relatórios", "Parâmetros", "B.I."};
} // namespace

QString menuTarget(int group, int item)
{
    for (const MenuTarget &t : kMenu)
        if (t.group == group && t.item == item)
            return QString::fromLatin1(t.screen);
    return QString();
}

QStringList missingTables(const QString &databasePath, const QString &fileName)
{
    static const QRegularExpression create(QStringLiteral("CREATE TABLE\\s+(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList missing;
    const QStringList present = kq::data::tableNames(databasePath);
    auto it = create.globalMatch(kq::data::schemaSql(fileName));
    while (it.hasNext()) {
        const QString table = it.next().captured(1);
        if (!present.contains(table, Qt::CaseInsensitive))
            missing << table;
    }
    return missing;
}

bool dataFolderIsReadOnly(const QString &folder)
{
    // The permission bits first: they hold even for an account (root) that
    // the system would let write anyway.
    const auto anyWrite
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QString devolvidos = kq::data::dataFile(folder, kq::data::kDevolvidos);
    for (const QString &path : {folder, devolvidos}) {
        const QFileInfo info(path);
        if (info.exists() && !(info.permissions() & anyWrite))
            return true;
    }
    QTemporaryFile probe(folder + QStringLiteral("/.kq-730-XXXXXX"));
    if (!probe.open())
        return true;
    QFile db(devolvidos);
    return db.exists() && !db.open(QIODevice::ReadWrite);
}

fprincipal *mainWindow()
{
    return kq::platform::ScreenRegistry::instance().get<fprincipal>(QStringLiteral("fprincipal"));
}

fprincipal::fprincipal(QWidget *parent)
    : Screen(QStringLiteral("fprincipal"), parent)
{
    kq::platform::setMainWindow(this);
    buildControls();
    formLoad();
}

void fprincipal::buildControls()
{
    setWindowTitle(QStringLiteral("Menu Principal"));
    setTwipsSize(12000, 9000);

    ButtonBar1 = new kq::platform::ButtonBar(this);
    ButtonBar1->setObjectName(QStringLiteral("ButtonBar1"));
    for (const char *g : kGroups)
        ButtonBar1->addGroup(QString::fromUtf8(g));
    connectTrapped(ButtonBar1, &kq::platform::ButtonBar::itemClick,
                   [this](int g, int i) { ButtonBar1_ItemClick(g, i); });

    StatusBar1 = new kq::platform::StatusBar(6, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAttribute(Qt::WA_TranslucentBackground);
        return l;
    };
    Image1 = label("Image1", QString());
    Image2 = label("Image2", QStringLiteral("Fale Conosco"));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    Image2->installEventFilter(this);
    Image2->setAccessibleName(QStringLiteral("Image2"));
    fundo = label("fundo", QString());
    fundo->setScaledContents(true);
    fundo->resize(twipsToPixels(9000), twipsToPixels(5000));
    sistema = label("sistema", QString());
    sistema->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    Label1 = label("Label1", QStringLiteral("KQ-730"));
    Label1->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    Label2 = label("Label2", QStringLiteral("F1- Help"));
    Label2->setStyleSheet(QStringLiteral("color: white;"));
    usuario = label("usuario", QString());
    codigouser = label("codigouser", QString());
    usuario->setStyleSheet(QStringLiteral("color: white;"));
    codigouser->setStyleSheet(QStringLiteral("color: white;"));

    Command1 = new QPushButton(QStringLiteral("&SAIR"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->resize(twipsToPixels(1000), twipsToPixels(500));
    connectTrapped(Command1, &QPushButton::clicked, &fprincipal::Command1_Click);
    Command2 = new QPushButton(QStringLiteral("Atualizar Valores"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    connectTrapped(Command2, &QPushButton::clicked, &fprincipal::Command2_Click);
    for (QLabel *l : {sistema, Label1, Label2, usuario, codigouser})
        l->adjustSize();
}

void fprincipal::formLoad()
{
    fundo->setPixmap(QPixmap(kq::platform::programFile(QStringLiteral("imagem.jpg"))));
    sistema->setText(QStringLiteral("-Sistema de Vantesca Plus"));
    sistema->adjustSize();
    StatusBar1->addPanel();
    StatusBar1->addPanel();
    using Style = kq::platform::StatusBar::PanelStyle;
    StatusBar1->setPanelStyle(1, Style::Text);
    StatusBar1->setPanelStyle(2, Style::Text);
    StatusBar1->setPanelStyle(3, Style::CapsLock);
    StatusBar1->setPanelStyle(4, Style::Insert);

    const QString folder = readDataFolder(kq::platform::programFile(QStringLiteral("sys.ini")));
    session().dataFolder = folder;
    showSession();
    setWindowTitle(QStringLiteral("SISTEMA DE VANTESCA - ") + kq::platform::versionText());
    m_helpFile = kq::data::dataFile(folder, QStringLiteral("kq-720.hlp"));

    for (const QString &db : {kq::data::kDevolvidos, kq::data::kMenu}) {
        const QString path = kq::data::dataFile(folder, db);
        if (!kq::data::databaseExists(path))
            throw StartupError(QStringLiteral("Banco de dados não encontrado: ") + path);
        kq::data::database(path); // refuses a file that is not a database
        const QStringList missing = missingTables(path, db);
        if (!missing.isEmpty())
            throw StartupError(QStringLiteral("O banco de dados %1 não tem a tabela %2. "
                                              "Confira a pasta de dados indicada em sys.ini.")
                                   .arg(path, missing.join(QStringLiteral(", "))));
    }
    PreencheMenu(kq::data::dataFile(folder, kq::data::kMenu));
    // The window opens ready for the keyboard on the open group's first item.
    ButtonBar1->focusCurrentGroup();
}

void fprincipal::showSession()
{
    StatusBar1->setPanelText(1, session().dataFolder);
    usuario->setText(session().usuario);
    codigouser->setText(session().codigoUsuario);
    usuario->adjustSize();
    codigouser->adjustSize();
}

void fprincipal::PreencheMenu(const QString &menuDatabase)
{
    kq::data::Recordset Data1(menuDatabase,
                              QStringLiteral("select * from  CONFIG order by GRUPO, OPCAO"));
    Data1.refresh();
    // Checked first, so a bad row leaves the bar untouched.
    QSet<QString> keys;
    for (Data1.moveFirst(); !Data1.eof(); Data1.moveNext()) {
        const int grupo = Data1.field(QStringLiteral("GRUPO")).toInt();
        const int opcao = Data1.field(QStringLiteral("OPCAO")).toInt();
        const QString where = QStringLiteral("grupo %1, opção %2").arg(grupo).arg(opcao);
        if (grupo < 1 || grupo > ButtonBar1->groupCount())
            throw StartupError(QStringLiteral("Item de menu inválido na tabela CONFIG de ")
                               + menuDatabase + QStringLiteral(": ") + where
                               + QStringLiteral(" (grupo de 1 a 6)."));
        const QString key = QStringLiteral("K%1%2").arg(opcao).arg(grupo);
        if (keys.contains(key))
            throw StartupError(QStringLiteral("Item de menu repetido na tabela CONFIG de ")
                               + menuDatabase + QStringLiteral(": ") + where
                               + QStringLiteral(" (chave ") + key + QStringLiteral(")."));
        keys.insert(key);
    }
    for (Data1.moveFirst(); !Data1.eof(); Data1.moveNext()) {
        const int grupo = Data1.field(QStringLiteral("GRUPO")).toInt();
        const QString key
            = QStringLiteral("K%1%2").arg(Data1.field(QStringLiteral("OPCAO")).toInt()).arg(grupo);
        QToolButton *item = ButtonBar1->addItem(grupo, key, Data1.text(QStringLiteral("descricao")),
                                                grupo, grupo);
        item->setToolTip(Data1.text(QStringLiteral("ds_tootip")));
    }
}

QString fprincipal::ButtonBar1_ItemClick(int group, int item)
{
    const QString screen = menuTarget(group, item);
    if (screen.isEmpty())
        return screen;
    // A load that fails is reported under the name of the screen it opens.
    trap(screen, [&screen] { kq::platform::ScreenRegistry::instance().show(screen); });
    return screen;
}

void fprincipal::Command1_Click()
{
    kq::platform::ScreenRegistry::instance().show(QStringLiteral("fsair"));
}

void fprincipal::Command2_Click()
{
    AtualizarValores(dataFolder());
}

void fprincipal::Image2_Click()
{
    kq::platform::ScreenRegistry::instance().show(QStringLiteral("ffaleconosco"));
}

bool fprincipal::eventFilter(QObject *obj, QEvent *event)
{
    if (obj == Image2 && event->type() == QEvent::MouseButtonRelease) {
        Image2_Click();
        return true;
    }
    return Screen::eventFilter(obj, event);
}

bool fprincipal::previewKey(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        if (QFileInfo::exists(m_helpFile))
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_helpFile));
        return true;
    }
    return Screen::previewKey(event);
}

void fprincipal::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    PintarFundoPadrao(this);
    const int statusHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
    ButtonBar1->setGeometry(0, 0, twipsToPixels(2400), height() - statusHeight);
    // Positions in twips of the client area, as the old layout.
    const int W = kq::platform::pixelsToTwips(width());
    const int H = kq::platform::pixelsToTwips(height() - statusHeight);
    auto place = [](QWidget *w, int left, int top) {
        w->move(twipsToPixels(left), twipsToPixels(top));
    };
    Image2->adjustSize();
    place(Image2, W - 2000, 300);
    place(Label1, 2700, H - 1150);
    place(sistema, 3900, H - 1150);
    place(Label2, 4500, H - 700);
    place(Command1, W - 1200, H - 1500);
    place(Command2, W - 3400, H - 1500);
    Command2->adjustSize();
    place(fundo, W - 9700, H - 6500);
    place(usuario, 2700, 300);
    place(codigouser, 2700, 600);
    usuario->adjustSize();
    codigouser->adjustSize();
}

} // namespace kq::shell
