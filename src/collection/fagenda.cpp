#include "collection/fagenda.h"

#include "collection/rules/agenda.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "platform/form.h"
#include "platform/grid/gridex.h"
#include "platform/textlimit.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kq::collection {

namespace {
const QString kName = QStringLiteral("fagenda");
}

fagenda::fagenda(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Agenda"));
    buildControls();

    // Loading: the list, the debtors, the collectors, today and the user.
    m_db = kq::shell::dataPath(kq::data::kDevolvidos);
    kq::shell::trap(kName, [&] {
        GridEX1->setDatabaseName(m_db);
        GridEX1->setRecordSource(QStringLiteral("SELECT * From agenda order by dt_marcada"));
        GridEX1->rebind();
        GridEX1->refresh();
    });
    kq::shell::trap(kName, [&] {
        nm_cliente->setDatabaseName(m_db);
        nm_cliente->setRowSource(QStringLiteral("select * from  clientes order by nm_cliente"));
        nm_cliente->setListField(QStringLiteral("nm_cliente"));
        nm_cliente->setBoundColumn(QStringLiteral("cd_cliente"));
        nm_cliente->refresh();
        nm_cliente->setText(QString());
    });
    kq::shell::trap(kName, [&] {
        cobrador->setDatabaseName(m_db);
        cobrador->setRowSource(QStringLiteral("select * from  usuarios order by usuario"));
        cobrador->setListField(QStringLiteral("usuario"));
        cobrador->setBoundColumn(QStringLiteral("cd_usuario"));
        cobrador->refresh();
    });
    dt_marcada->setValue(QDate::currentDate());
    kq::shell::trap(kName, [&] { m_located = firstAgendaCode(m_db); });
    kq::shell::showUsuarioLogado(cobrador);

    connectTrapped(Command3, &QPushButton::clicked, [this] { Command3_Click(); });
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, &QWidget::close);
    connectTrapped(GridEX1, &kq::platform::GridEX::rowChanged, [this] { locate(); });
    kq::platform::setTextLimit(DS_hISTORICO, kAgendaHistoryLength);
}

void fagenda::buildControls()
{
    using namespace kq::platform::form;
    resize(900, 600);

    auto *frame = new QGroupBox(QStringLiteral("Agenda Contatos"), this);
    nm_cliente = named<kq::platform::DBCombo>(QStringLiteral("nm_cliente"), frame);
    dt_marcada = named<kq::platform::DTPicker>(QStringLiteral("dt_marcada"), frame);
    DS_hISTORICO = named<QPlainTextEdit>(QStringLiteral("DS_hISTORICO"), frame);
    DS_hISTORICO->setMaximumHeight(70);
    DS_hISTORICO->setTabChangesFocus(true);
    cobrador = named<kq::platform::DBCombo>(QStringLiteral("cobrador"), frame);
    cd_agenda = named<QLabel>(QStringLiteral("cd_agenda"), frame);
    cd_agenda->setAccessibleName(QStringLiteral("cd_agenda"));
    auto *fields = new QGridLayout(frame);
    const int row = addRows(fields,
                            {{QStringLiteral("Cliente.:"), nm_cliente},
                             {QStringLiteral("Data..:"), dt_marcada},
                             {QStringLiteral("Histórico:"), DS_hISTORICO},
                             {QStringLiteral("Responsável :"), cobrador}},
                            {.captionAlignment = Qt::AlignTop, .nameBoxes = true});
    fields->addWidget(cd_agenda, row, 1);
    fields->setColumnStretch(1, 1);

    auto *filters = new QGroupBox(QStringLiteral("Filtros"), this);
    Option1 = named<QRadioButton>(QStringLiteral("Option1"), filters, QStringLiteral("Todos"));
    Option2 = named<QRadioButton>(QStringLiteral("Option2"), filters, QStringLiteral("Executados"));
    Option3 = named<QRadioButton>(QStringLiteral("Option3"), filters, QStringLiteral("Aberto"));
    auto *filterLayout = new QVBoxLayout(filters);
    filterLayout->addWidget(Option1);
    filterLayout->addWidget(Option2);
    filterLayout->addWidget(Option3);

    Command3 = button(QStringLiteral("Command3"), QStringLiteral("&Agendar Novo Contato"), this);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("Excluir"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Sair"), this);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(filters);
    buttons->addStretch();
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);

    GridEX1 = named<kq::platform::GridEX>(QStringLiteral("GridEX1"), this);
    buildGrid();

    auto *top = new QHBoxLayout;
    top->addWidget(frame, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(GridEX1, 1);
}

void fagenda::buildGrid()
{
    const struct
    {
        const char *caption;
        const char *field;
        int width;
    } columns[] = {{"Data", "DT_MARCADA", 85},
                   {"Histórico", "DS_HISTORICO", 300},
                   {"Envolvido", "nm_envolvido", 180},
                   {"Executado", "status", 70},
                   {"Responsável", "nm_responsavel", 120},
                   {"agenda", "cd_agenda", 90},
                   {"Mês", "cd_ref", 70}};
    for (const auto &c : columns)
        GridEX1->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
    GridEX1->column(1).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(4).setCheckBox(true);
    GridEX1->column(4).setEditable(true);
    GridEX1->column(6).setVisible(false);
    GridEX1->setKeyColumn(6);
    GridEX1->setUpdateTable(QStringLiteral("agenda"), QStringLiteral("cd_agenda"));
    GridEX1->setHeaderSort(true);
    GridEX1->setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    GridEX1->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    GridEX1->setGroupByBoxVisible(true);
}

void fagenda::Command3_Click()
{
    if (!kq::platform::choicesAreClear({cobrador}))
        return;
    kq::shell::trap(kName, [&] {
        AgendaEntry entry;
        entry.dtMarcada = dt_marcada->value();
        entry.nmEnvolvido = nm_cliente->text();
        entry.nmResponsavel = cobrador->text();
        entry.dsHistorico = DS_hISTORICO->toPlainText();
        cd_agenda->setText(addAgendaEntry(m_db, entry, QDate::currentDate()));
        GridEX1->refresh();
    });
}

void fagenda::Command2_Click()
{
    kq::shell::trap(kName, [&] {
        const auto history = m_located.isEmpty() ? std::nullopt : agendaHistory(m_db, m_located);
        if (!history) {
            m_located.clear();
            kq::platform::Dialogs::message(
                QStringLiteral("Escolha na lista o contato a excluir!!"));
            return;
        }
        if (!kq::platform::Dialogs::confirmDelete(
                QStringLiteral("Deseja Realmente excluir esse registro? :") + *history))
            return;
        deleteAgendaEntry(m_db, m_located);
        // Until the user picks another row, "Excluir" has no entry to act on.
        m_ignoreRowChange = true;
        GridEX1->refresh();
        m_ignoreRowChange = false;
        m_located.clear();
    });
}

void fagenda::locate()
{
    if (!m_ignoreRowChange && GridEX1->hasCurrentRecord())
        m_located = GridEX1->value(6).toString();
}

} // namespace kq::collection
