#include "queries/querypattern.h"

#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "queries/frmpreview.h"
#include "queries/frmshowfields.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>

namespace kq::queries {

namespace {

const QString kLayoutTitle = QStringLiteral("Salvar Lay Out");
const QString kLayoutFilter = QStringLiteral("Lay Out (*.lyt)|*.lyt|");
constexpr int kGridTop = 1800 / 15; // the grid's designed top, under the panel
constexpr int kMargin = 4;

QString nowText()
{
    const QDateTime now = QDateTime::currentDateTime();
    return kq::platform::formatDate(now.date()) + QLatin1Char(' ')
           + now.time().toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

QString pageFooterText(int page, int pageCount)
{
    return QStringLiteral("Page ") + QString::number(page) + QStringLiteral("\r\n of ")
           + QString::number(pageCount);
}

QString chequeGroupCaption(const QString &caption, double valor)
{
    return caption + QStringLiteral("  (Total= ") + kq::platform::formatCurrency(valor)
           + QLatin1Char(')');
}

QString instalmentGroupCaption(const QString &caption, double valor, double honorarios)
{
    return chequeGroupCaption(caption, valor) + QStringLiteral("  Total Honorários=")
           + kq::platform::formatCurrency(honorarios);
}

QueryScreen::QueryScreen(const QString &name, const QString &filterScreen, QWidget *parent)
    : Screen(name, parent)
    , m_name(name)
    , m_filterScreen(filterScreen)
{
    resize(1000, 620);

    Frame1 = new QGroupBox(QStringLiteral("CONSULTAS"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    m_panel = new QGridLayout(Frame1);
    m_panel->setContentsMargins(6, 4, 6, 4);

    cmdPrint = makeButton(QStringLiteral("cmdPrint"), QStringLiteral("IMPRIMIR"), 0, 0);
    cmdPrint->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                       style()->standardIcon(QStyle::SP_DialogSaveButton)));
    cmdPrintPreview
        = makeButton(QStringLiteral("cmdPrintPreview"), QStringLiteral("VISUALIZAR"), 0, 1);
    cmdPrintPreview->setIcon(
        QIcon::fromTheme(QStringLiteral("document-print-preview"),
                         style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    Command2 = makeButton(QStringLiteral("Command2"), QStringLiteral("Escolher Campos"), 0, 2);
    Command2->setToolTip(
        QStringLiteral("Permite escolher quais campos estarão disponiveis na grae abaixo"));
    Command3 = makeButton(QStringLiteral("Command3"), QStringLiteral("Agrupar"), 0, 3);
    Command3->setToolTip(QStringLiteral("Cria quebras nos relatórios gerados na grade"));
    Command4 = makeButton(QStringLiteral("Command4"), QStringLiteral("Desagrupar"), 0, 4);
    Command5 = makeButton(QStringLiteral("Command5"), QStringLiteral("Salvar Lay-out"), 0, 5);
    Command6 = makeButton(QStringLiteral("Command6"), QStringLiteral("Ler Lay-out"), 0, 6);
    Command7 = makeButton(QStringLiteral("Command7"), QStringLiteral("Todos"), 2, 0);
    Command8 = makeButton(QStringLiteral("Command8"), QStringLiteral("Filtros"), 2, 1);
    Command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("&Sair"), 2, 6);

    auto check = [this](const char *objectName, const QString &caption, int column, int span) {
        auto *c = new QCheckBox(caption, Frame1);
        c->setObjectName(QString::fromLatin1(objectName));
        if (caption.isEmpty())
            c->setAccessibleName(c->objectName());
        m_panel->addWidget(c, 1, column, 1, span);
        return c;
    };
    Check1 = check("Check1", QStringLiteral("Agrupar Paginas"), 0, 2);
    Check2 = check("Check2", QString(), 2, 1);
    Check3 = check("Check3", QStringLiteral("Repetir Cabeçalho"), 3, 2);
    Check4 = check("Check4", QStringLiteral("Imprimir só as Selecionadas"), 5, 2);

    GridEX1 = new kq::platform::GridEX(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setHeaderSort(true);
    GridEX1->setMultiSelect(true);
    GridEX1->setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    GridEX1->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    GridEX1->setGroupByBoxVisible(true);
    GridEX1->setHeaderHeight(285 / 15);
    GridEX1->setRowFormatter([this](kq::platform::GridRow &row) { formatRow(row); });

    // The drop-down lists are never shown on their own.
    GridEX2 = new kq::platform::GridEX(this);
    GridEX2->setObjectName(QStringLiteral("GridEX2"));
    GridEX2->hide();
    GridEX3 = new kq::platform::GridEX(this);
    GridEX3->setObjectName(QStringLiteral("GridEX3"));
    GridEX3->hide();

    connectTrapped(cmdPrint, &QPushButton::clicked, [this] { cmdPrint_Click(); });
    connectTrapped(cmdPrintPreview, &QPushButton::clicked, [this] { cmdPrintPreview_Click(); });
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command3, &QPushButton::clicked,
                   [this] { kq::shell::trap(m_name, [&] { GridEX1->group(); }); });
    connectTrapped(Command4, &QPushButton::clicked,
                   [this] { kq::shell::trap(m_name, [&] { GridEX1->ungroup(); }); });
    connectTrapped(Command5, &QPushButton::clicked, [this] { SalvaLayout(); });
    connectTrapped(Command6, &QPushButton::clicked, [this] { LeLayout(); });
    connectTrapped(Command7, &QPushButton::clicked, [this] { Command7_Click(); });
    connectTrapped(Command8, &QPushButton::clicked, [this] { Command8_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, &QWidget::close);
    connectTrapped(GridEX1, &kq::platform::GridEX::pagePrinting, [this](int page, int count) {
        GridEX1->printerSettings().setFooter(3, pageFooterText(page, count));
    });
}

QPushButton *QueryScreen::makeButton(const QString &name, const QString &caption, int row,
                                     int column)
{
    auto *b = new QPushButton(caption, Frame1);
    b->setObjectName(name);
    b->setAutoDefault(false);
    m_panel->addWidget(b, row, column);
    return b;
}

QPushButton *QueryScreen::addPanelButton(const QString &name, const QString &caption)
{
    // On the last row, after "Filtros"; "&Sair" stays at the end.
    return makeButton(name, caption, 2, 2 + m_extraButtons++);
}

QString QueryScreen::databasePath() const
{
    return kq::shell::dataPath(kq::data::kDevolvidos);
}

bool QueryScreen::applyRecordSource(const kq::data::RecordSource &source)
{
    // A copy: the source may be the grid's own.
    const kq::data::RecordSource copy = source;
    return kq::shell::trap(m_name, [&] {
        GridEX1->setDatabaseName(databasePath());
        GridEX1->setRecordSource(copy);
        GridEX1->rebind();
        GridEX1->refresh();
    });
}

void QueryScreen::bindLoadQuery()
{
    applyRecordSource(loadQuery());
}

void QueryScreen::bindDropDown(kq::platform::GridEX *grid, const QString &codeField,
                               const QString &descriptionField, const QString &source)
{
    if (grid->columnCount() == 0) {
        grid->addColumn(codeField, QStringLiteral("CODIGO")).setKey(QStringLiteral("CD_DESTINO"));
        grid->addColumn(descriptionField, QStringLiteral("Descrição"))
            .setKey(QStringLiteral("DS_DESTINO"));
        grid->setDropDownColumns(1, 2);
        grid->setGroupByBoxVisible(false);
        grid->setTotalRowVisible(false);
    }
    kq::shell::trap(m_name, [&] {
        grid->setDatabaseName(databasePath());
        grid->setRecordSource(source);
        grid->rebind();
        grid->refresh();
    });
}

void QueryScreen::formatRow(kq::platform::GridRow &row)
{
    Q_UNUSED(row);
}

void QueryScreen::setPrintOptions(bool forPrinting)
{
    kq::platform::GridPrinterSettings &settings = GridEX1->printerSettings();
    settings.groupPages = Check1->isChecked();
    settings.repeatHeaders = Check3->isChecked();
    settings.gridLines = Check2->isChecked();
    settings.setFooter(2, nowText());
    if (forPrinting)
        settings.numericOption = 0;
}

void QueryScreen::cmdPrint_Click()
{
    setPrintOptions(true);
    kq::shell::trap(m_name, [&] { GridEX1->print(true, Check4->isChecked()); });
}

void QueryScreen::cmdPrintPreview_Click()
{
    setPrintOptions(false);
    auto *preview
        = kq::platform::ScreenRegistry::instance().get<frmPreview>(QStringLiteral("frmPreview"));
    if (!preview)
        return;
    preview->setGeometry(geometry());
    if (!kq::shell::trap(m_name,
                         [&] { GridEX1->printPreview(preview->grPrev, Check4->isChecked()); }))
        return;
    preview->show();
    preview->raise();
    hide();
}

void QueryScreen::Command2_Click()
{
    auto *chooser = kq::platform::ScreenRegistry::instance().get<frmShowfields>(
        QStringLiteral("frmShowfields"));
    if (chooser)
        chooser->ShowFields(*GridEX1);
}

void QueryScreen::Command7_Click()
{
    applyRecordSource(allQuery());
}

void QueryScreen::Command8_Click()
{
    kq::platform::ScreenRegistry::instance().show(m_filterScreen);
}

void QueryScreen::SalvaLayout()
{
    QString file = kq::platform::Dialogs::saveFile(kLayoutTitle, QString(), kLayoutFilter);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".lyt");
    try {
        GridEX1->saveLayout(file);
    } catch (const kq::data::DataError &e) {
        kq::platform::Dialogs::message(e.description());
    }
}

void QueryScreen::LeLayout()
{
    const QString file = kq::platform::Dialogs::openFile(kLayoutTitle, QString(), kLayoutFilter);
    if (file.isEmpty())
        return;
    try {
        GridEX1->loadLayout(file);
    } catch (const kq::data::DataError &e) {
        kq::platform::Dialogs::message(e.description());
    }
}

void QueryScreen::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    const int panelHeight = Frame1->sizeHint().height();
    Frame1->setGeometry(kMargin, kMargin, qMax(0, width() - 2 * kMargin), panelHeight);
    const int top = qMax(kGridTop, Frame1->geometry().bottom() + kMargin);
    // Too small (or minimised): the grid keeps its size.
    if (width() <= 2 * kMargin || height() <= top + kMargin)
        return;
    GridEX1->setGeometry(kMargin, top, width() - 2 * kMargin, height() - top - kMargin);
}

} // namespace kq::queries
