#include "cube/fcubovendas.h"

#include "cube/datamarkerseditorform.h"
#include "cube/rankform.h"
#include "cube/saveform.h"
#include "cube/frmmschart.h"
#include "cube/passwordform.h"
#include "cube/rules/cubefilerules.h"
#include "cube/fexport.h"
#include "data/datafolder.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "platform/form.h"
#include "platform/gradient.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "platform/statusbar.h"
#include "shell/services/procedures.h"
#include "shell/services/sysini.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <functional>

namespace kq::cube {

using kq::platform::DCube;
using kq::platform::Dialogs;
using kq::platform::pixelsToTwips;
using kq::platform::ScreenRegistry;
using kq::platform::twipsToPixels;

namespace {

// Opens a tool screen on this screen's cube (brought to the front when open).
template<class Tool>
void showTool(const QString &name, DCube *cube)
{
    auto &registry = ScreenRegistry::instance();
    if (auto *tool = registry.get<Tool>(name))
        tool->setCube(cube);
    registry.show(name);
}

const QString kForm = QStringLiteral("fcubovendas");

FileOpener &openerSlot()
{
    static FileOpener opener = [](const QUrl &url) {
        return QDesktopServices::openUrl(url);
    };
    return opener;
}

// Moves a control in twips; a negative size is refused as the old runtime did.
void moveTwips(QWidget *w, int left, int top, int width, int height)
{
    if (width < 0 || height < 0)
        throw kq::platform::RuntimeError(380, QStringLiteral("Valor de propriedade inválido"),
                                         kForm);
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                   twipsToPixels(height));
}

int twipsLeft(const QWidget *w)
{
    return pixelsToTwips(w->x());
}
int twipsTop(const QWidget *w)
{
    return pixelsToTwips(w->y());
}
int twipsWidth(const QWidget *w)
{
    return pixelsToTwips(w->width());
}
int twipsHeight(const QWidget *w)
{
    return pixelsToTwips(w->height());
}

// A caption on the title band, in light text (the top of the band is dark),
// at (left, top) in twips.
QLabel *bandCaption(const QString &name, const QString &text, QWidget *band, int left, int top,
                    const std::function<void(QFont &)> &style)
{
    auto *label = kq::platform::form::named<QLabel>(name, band, text);
    QFont font = label->font();
    style(font);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white;"));
    label->move(twipsToPixels(left), twipsToPixels(top));
    label->adjustSize();
    return label;
}

void paintDefault(QWidget *w)
{
    int r = 0;
    int g = 255;
    int b = 255;
    kq::shell::PintarFundo(w, r, g, b, false, 5);
}

} // namespace

FileOpener fileOpener()
{
    return openerSlot();
}

void setFileOpener(FileOpener opener)
{
    openerSlot() = std::move(opener);
}

GradientPicture::GradientPicture(QWidget *parent)
    : QWidget(parent)
{}

void GradientPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    kq::platform::paintGradient(painter, size(), 0, 255, 255, false, 5);
}

QString cubeDataFolder()
{
    const QDir dir(kq::platform::programFolder());
    QString path = dir.filePath(QStringLiteral("sys.ini"));
    if (!QFileInfo::exists(path)) {
        const QStringList names = dir.entryList({QStringLiteral("sys.ini")}, QDir::Files);
        for (const QString &name : names) {
            if (name.compare(QStringLiteral("sys.ini"), Qt::CaseInsensitive) == 0) {
                path = dir.filePath(name);
                break;
            }
        }
    }
    return kq::shell::readDataFolder(path);
}

void fillDataFieldList(DCube *cube, QListWidget *list)
{
    const QSignalBlocker block(list);
    kq::platform::CubeFields *data = cube->dataFields();
    for (int i = 0; i < data->count(); ++i) {
        auto *item = new QListWidgetItem(data->item(i)->caption(), list);
        item->setData(Qt::UserRole, i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void setDataFieldShownFromItem(DCube *cube, QListWidgetItem *item)
{
    kq::platform::CubeField *field = cube->dataFields()->item(item->data(Qt::UserRole).toInt());
    if (!field)
        throw kq::platform::RuntimeError(9, QStringLiteral("Subscrito fora do intervalo"), kForm);
    field->setShown(item->checkState() == Qt::Checked);
    rebuildOrThrow(cube);
}

void rebuildOrThrow(DCube *cube)
{
    // A build the user cancelled is no failure: the cube keeps what it held.
    if (!cube->rebuild() && cube->model()->lastErrorCode() != kq::platform::CubeErrCancelled)
        throw kq::platform::RuntimeError(cube->model()->lastErrorCode(), cube->model()->lastError(),
                                         QStringLiteral("DCube"));
}

fcubovendas::fcubovendas(QWidget *parent)
    : Screen(kForm, parent)
{
    buildControls();
    defineCube();
    Form_Load();
}

fcubovendas::~fcubovendas()
{
    // The tools work on this screen's cube: they go with it.
    auto &registry = ScreenRegistry::instance();
    for (const char *tool : {"SaveForm", "fexport"})
        registry.unload(QString::fromLatin1(tool));
}

void fcubovendas::buildControls()
{
    using namespace kq::platform::form;
    setWindowTitle(QStringLiteral("Bi - Business Inteligence"));
    setTwipsSize(13500, 8700);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar = named<QMenuBar>(QStringLiteral("menuBar"), this);
    layout->setMenuBar(menuBar);
    MenuOpcoes = menuBar->addMenu(QStringLiteral("Menu Opções"));
    MenuOpcoes->setObjectName(QStringLiteral("MenuOpcoes"));
    auto addItem = [this](const char *name, const QString &caption) {
        QAction *a = MenuOpcoes->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    Abrir = addItem("Abrir", QStringLiteral("Abrir"));
    Salvar = addItem("Salvar", QStringLiteral("Salvar"));
    Classificar = addItem("Classificar", QStringLiteral("Classificar"));
    graficos = addItem("graficos", QStringLiteral("Graficos"));
    retirar = addItem("retirar", QStringLiteral("Retirar Totais"));
    Inserir = addItem("Inserir", QStringLiteral("Inserir Totais"));
    Marcadores = addItem("Marcadores", QStringLiteral("Marcadores"));
    Exportar = addItem("Exportar", QStringLiteral("Exportar"));

    m_client = named<QWidget>(QStringLiteral("client"), this);
    layout->addWidget(m_client, 1);

    TopPicture = named<GradientPicture>(QStringLiteral("TopPicture"), m_client);
    TopPicture->resize(twipsToPixels(13320), twipsToPixels(1050));
    Image1 = named<QLabel>(QStringLiteral("Image1"), TopPicture);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    Image1->setGeometry(twipsToPixels(150), twipsToPixels(120), 52, 52);
    TitleCaption = bandCaption(QStringLiteral("TitleCaption"),
                               QStringLiteral("Gerador de Relatórios Multi - Dimensional"),
                               TopPicture, 1200, 120, [](QFont &f) {
                                   f.setPointSize(14);
                                   f.setBold(true);
                               });
    SubTitleCaption = bandCaption(QStringLiteral("SubTitleCaption"), QStringLiteral("Olap Server"),
                                  TopPicture, 1230, 600, [](QFont &f) { f.setItalic(true); });

    LeftPicture = named<GradientPicture>(QStringLiteral("LeftPicture"), m_client);
    LeftPicture->resize(twipsToPixels(2400), twipsToPixels(6000));
    auto *left = new QVBoxLayout(LeftPicture);
    left->setContentsMargins(6, 6, 6, 6);
    lstVisDataField = named<QListWidget>(QStringLiteral("lstVisDataField"), LeftPicture);
    lstVisDataField->setAccessibleName(QStringLiteral("lstVisDataField"));
    lstVisDataField->setMaximumHeight(twipsToPixels(1500));
    cmdPreview = button(QStringLiteral("cmdPreview"), QStringLiteral("Print Preview"), LeftPicture);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("Sair"), LeftPicture);
    left->addWidget(lstVisDataField);
    left->addWidget(cmdPreview);
    left->addStretch(1);
    left->addWidget(Command1);

    DCube1 = named<DCube>(QStringLiteral("DCube1"), m_client);
    StatusBar1 = named<kq::platform::StatusBar>(QStringLiteral("StatusBar1"), m_client, 4);

    // The layout never asks for a negative size of a control.
    setMinimumSize(twipsToPixels(2400 + 90 * 3 + 600),
                   twipsToPixels(1050 + 90 * 2 + 360 + 600) + menuBar->sizeHint().height());

    connectTrapped(Abrir, &QAction::triggered, &fcubovendas::OpenCubeFile);
    connectTrapped(Salvar, &QAction::triggered,
                   [this] { showTool<SaveForm>(QStringLiteral("SaveForm"), DCube1); });
    connectTrapped(Classificar, &QAction::triggered, [this] { ShowRankForm(nullptr); });
    connectTrapped(graficos, &QAction::triggered, &fcubovendas::showChart);
    connectTrapped(retirar, &QAction::triggered, [this] { SetAllGroupFooterTypes(false); });
    connectTrapped(Inserir, &QAction::triggered, [this] { SetAllGroupFooterTypes(true); });
    connectTrapped(Marcadores, &QAction::triggered, &fcubovendas::showDataMarkers);
    connectTrapped(Exportar, &QAction::triggered,
                   [this] { showTool<fexport>(QStringLiteral("fexport"), DCube1); });
    connectTrapped(cmdPreview, &QPushButton::clicked, [this] { DCube1->printPreview(this); });
    connectTrapped(Command1, &QPushButton::clicked, &QWidget::close);
    connectTrapped(lstVisDataField, &QListWidget::itemChanged,
                   &fcubovendas::lstVisDataField_ItemCheck);
    connectTrapped(DCube1, &DCube::errorOccurred, &fcubovendas::cubeError);
    connectTrapped(DCube1, &DCube::formatCell, [this](kq::platform::CubeCell *cell) {
        formatCellWithMarkers(*cell, *DCube1->model(), *m_DataMarkers);
    });
}

// The cube as designed: the cheques with their debtor, store, situation,
// destination and document type.
void fcubovendas::defineCube()
{
    using namespace kq::platform;
    DCube1->setAutoDataRefresh(false);
    DCube1->setConnectType(1);
    DCube1->setConnect(QStringLiteral("Access"));
    DCube1->setRecordSource(
        QStringLiteral("SELECT DEVOLVIDOS.vl_atualizado, CLIENTES.NM_CLIENTE, CLIENTES.DS_ESTADO, "
                       "CLIENTES.DS_CIDADE, DEVOLVIDOS.DT_DEPOSITO, DEVOLVIDOS.VL_CHEQUE, "
                       "DEVOLVIDOS.CD_BANCO, lojas.ds_loja, DESTINOS.DS_DESTINO, "
                       "SITUACOES.DS_SITUACAO, documentos.DS_documento\r\n"
                       "FROM (SITUACOES INNER JOIN ((DESTINOS INNER JOIN (CLIENTES INNER JOIN "
                       "DEVOLVIDOS ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON "
                       "DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) INNER JOIN lojas ON "
                       "DEVOLVIDOS.CD_LOJA = lojas.cd_loja) ON SITUACOES.CD_SITUACAO = "
                       "DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON DEVOLVIDOS.cd_documento "
                       "= documentos.CD_documento\r\n"));
    DCube1->setSqlYearPart(QStringLiteral("datepart(\"yyyy\",<field>)"));
    DCube1->setSqlQuarterPart(QStringLiteral("datepart(\"q\",<field>)"));
    DCube1->setSqlMonthPart(QStringLiteral("datepart(\"m\",<field>)"));
    DCube1->setSqlWeekPart(QStringLiteral("datepart(\"ww\",<field>)"));
    DCube1->setHeaderCaption(QStringLiteral("Gerador de Relatórios"));
    DCube1->setFooterCaption(QStringLiteral("- Page &P -"));

    struct Def
    {
        const char *source;
        const char *caption;
        const char *name;
    };
    const Def defs[] = {
        {"NM_CLIENTE", "Inadimplemte", nullptr},
        {"DS_ESTADO", "Estado", nullptr},
        {"DS_CIDADE", "Cidade", nullptr},
        {"DT_DEPOSITO", "Vencimento", nullptr},
        {"datepart(\"m\",DEVOLVIDOS.DT_DEPOSITO)", "Mês Vencimento", nullptr},
        {"datepart(\"yyyy\",DEVOLVIDOS.DT_DEPOSITO)", "Ano Vencimento", nullptr},
        {"datepart(\"q\",DEVOLVIDOS.DT_DEPOSITO)", "Trimestre Vencimento", nullptr},
        {"CD_BANCO", "Banco", nullptr},
        {"ds_loja", "Cliente", nullptr},
        {"DS_SITUACAO", "Situação", nullptr},
        {"DS_DESTINO", "Destino", nullptr},
        {"VL_CHEQUE", "Valor", "sumVL_CHEQUE"},
        {"vl_atualizado", "Atualizado", "Atualizado"},
        {"DS_documento", "Tipo Documento", nullptr},
    };
    for (const Def &d : defs) {
        const bool data = d.name != nullptr;
        CubeField *f = DCube1->addField(QString::fromUtf8(d.source), QString::fromUtf8(d.caption),
                                        data ? OrientData : OrientPage);
        f->setTotalCaption(QStringLiteral("Total"));
        if (data) {
            f->setName(QString::fromLatin1(d.name));
            f->setAggregate(AggSum);
            f->setNumberFormat(QStringLiteral("0.00"));
        }
    }
    DCube1->setAutoDataRefresh(true);
}

void fcubovendas::Form_Load()
{
    using kq::platform::StatusBar;
    using Style = StatusBar::PanelStyle;
    StatusBar1->addPanel();
    StatusBar1->addPanel();
    const Style styles[]
        = {Style::Text, Style::Text, Style::CapsLock, Style::Insert, Style::Text, Style::Text};
    for (int i = 0; i < 6; ++i)
        StatusBar1->setPanelStyle(i + 1, styles[i]);
    QString folder;
    kq::shell::trap(kForm, [&] { folder = cubeDataFolder(); });
    StatusBar1->setPanelText(1, folder);
    StatusBar1->setPanelText(2, QStringLiteral("USUARIO"));
    StatusBar1->setPanelText(6, QString());

    DCube1->setConnectType(1);
    DCube1->setConnect(QStringLiteral("Access"));
    DCube1->setDatabaseName(kq::data::dataFile(folder, kq::data::kDevolvidos));
    kq::shell::trap(kForm, [&] { rebuildOrThrow(DCube1); });

    m_DataMarkers = std::make_unique<DataMarkerCollection>();
    kq::shell::trap(kForm, [&] { FillDataFieldList(); });
}

void fcubovendas::FillDataFieldList()
{
    fillDataFieldList(DCube1, lstVisDataField);
}

void fcubovendas::lstVisDataField_ItemCheck(QListWidgetItem *item)
{
    kq::shell::trap(kForm, [&] { setDataFieldShownFromItem(DCube1, item); });
}

// The screen reports the cube's failures where its procedures meet them (never
// from painting).
void fcubovendas::cubeError(int, const QString &, const QString &, bool *handled)
{
    if (handled)
        *handled = true;
}

void fcubovendas::SetAllGroupFooterTypes(bool showTotal)
{
    for (kq::platform::CubeField *field : DCube1->fields()->all())
        field->setGroupFooter(showTotal);
    DCube1->rebuild();
}

void fcubovendas::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    const int W = pixelsToTwips(m_client->width());
    const int H = pixelsToTwips(m_client->height());
    Form_Resize(W, H);
    const int barHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, m_client->height() - barHeight, m_client->width(), barHeight);
}

void fcubovendas::Form_Resize(int W, int H)
{
    kq::shell::trap(kForm, [&] { paintDefault(this); });
    kq::shell::trap(kForm,
                    [&] { moveTwips(TopPicture, 90, 90, W - 180, twipsHeight(TopPicture)); });
    const int y = twipsTop(TopPicture) + twipsHeight(TopPicture) + 90;
    kq::shell::trap(kForm,
                    [&] { moveTwips(LeftPicture, 90, y, twipsWidth(LeftPicture), H - (y + 360)); });
    const int x = twipsLeft(LeftPicture) + twipsWidth(LeftPicture) + 90;
    kq::shell::trap(kForm, [&] { moveTwips(DCube1, x, y, W - (x + 90), H - (y + 360)); });
    kq::shell::trap(kForm, [&] { paintDefault(TopPicture); });
    kq::shell::trap(kForm, [&] { paintDefault(LeftPicture); });
}

bool fcubovendas::GetCubeFilePath(QString &thisFileName)
{
    try {
        const QString chosen
            = Dialogs::openFile(QStringLiteral("Open a CUB file for viewing"), QString(),
                                QStringLiteral("DynamiCube CUB Files (*.CUB)|*.cub"));
        if (chosen.isEmpty())
            return false;
        thisFileName = chosen;
        return true;
    } catch (...) {
        return false;
    }
}

bool fcubovendas::LoadCubeFile(const QString &microCubeFilePathOrUrl, int passwordAttempts)
{
    using kq::platform::Buttons;
    using kq::platform::Icon;
    const QString &path = microCubeFilePathOrUrl;
    int tries = 0;
    if (path.isEmpty())
        return false;
    for (;;) {
        int code = 0;
        QString description;
        if (isWebAddress(path)) {
            if (DCube1->openUrl(path))
                return true;
            code = DCube1->model()->lastErrorCode();
            description = DCube1->model()->lastError();
        } else {
            const kq::platform::CubeResult result = DCube1->load(path);
            if (result.ok)
                return true;
            code = result.code;
            description = result.description;
        }
        if (code == kCubeFileMissing) {
            Dialogs::message(QStringLiteral("Arquivo nao existe"), QStringLiteral("Try Again"),
                             Buttons::Ok, Icon::Information);
            return false;
        }
        if (code == kq::platform::CubeErrCancelled)
            return false; // the user stopped the reading: nothing to say

        if (code != kCubePasswordRefused) {
            Dialogs::message(unexpectedLoadErrorText(code, description),
                             QStringLiteral("EXITING PROGRAM!"), Buttons::Ok, Icon::Critical);
            return false;
        }
        ++tries;
        if (tries > passwordAttempts)
            return false;
        // A new prompt each time.
        auto &registry = ScreenRegistry::instance();
        registry.unload(QStringLiteral("PasswordForm"));
        auto *prompt = registry.get<PasswordForm>(QStringLiteral("PasswordForm"));
        if (!prompt)
            return false;
        QString password;
        const bool ok = prompt->GetPassword(passwordPrompt(tries, passwordAttempts),
                                            QStringLiteral("Protegido por senha"), password);
        registry.unload(QStringLiteral("PasswordForm"));
        if (!ok)
            return false;
        DCube1->setPassword(password);
    }
}

void fcubovendas::OpenCubeFile()
{
    using kq::platform::Buttons;
    using kq::platform::Icon;
    kq::shell::trap(kForm, [&] {
        QString path;
        if (!GetCubeFilePath(path))
            return;
        if (LoadCubeFile(path, 3)) {
            m_CubeFilePath = path;
            ShowCube();
            Dialogs::message(QStringLiteral("Arquivo carregado com sucesso!"),
                             QStringLiteral("Congratulaçõe"), Buttons::Ok, Icon::Information);
        } else if (DCube1->model()->lastErrorCode() == kq::platform::CubeErrCancelled) {
            // Cancelled while the file was read: the cube stays as it was.
        } else {
            HideCube();
            Dialogs::message(QStringLiteral("houve algum problema ao carregar arquivo do cubo."),
                             QStringLiteral("E R R O"), Buttons::Ok, Icon::Information);
        }
    });
}

void fcubovendas::HideCube()
{
    DCube1->setVisible(false);
}

void fcubovendas::ShowCube()
{
    DCube1->setVisible(true);
}

void fcubovendas::ShowRankForm(kq::platform::CubeField *field)
{
    auto &registry = ScreenRegistry::instance();
    RankForm *form = qobject_cast<RankForm *>(registry.find(QStringLiteral("RankForm")));
    if (!form) {
        try {
            form = registry.get<RankForm>(QStringLiteral("RankForm"));
            if (form) {
                // Owned by this screen: it goes when the cube goes.
                form->setParent(this, form->windowFlags() | Qt::Window);
                form->setDynamiCube(DCube1);
            }
        } catch (...) {
            // A rank form that cannot be made leaves the cube as it is.
        }
    }
    if (!form)
        return;
    form->setSelectedField(field);
    try {
        if (!form->isVisible())
            registry.show(QStringLiteral("RankForm"));
    } catch (...) {
        // Nor one that cannot be shown.
    }
}

void fcubovendas::showChart()
{
    showCubeChart(DCube1);
}

void fcubovendas::showDataMarkers()
{
    DataMarkersEditorForm::ShowDataMarkers(DCube1, m_DataMarkers.get());
}

} // namespace kq::cube
