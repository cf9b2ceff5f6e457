#include "collection/fvantesca.h"

#include "collection/rules/followup.h"
#include "collection/rules/simulation.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "platform/form.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "platform/textlimit.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace kq::collection {

using kq::platform::GridEX;

namespace {

const QString kDebtors = QStringLiteral(
    "SELECT clientes.cd_cliente, CLIENTES.NM_CLIENTE, CLIENTES.DS_CIDADE, CLIENTES.NR_TELEFONES, "
    "CLIENTES.nr_contatos, CLIENTES.dt_ultimocontato From CLIENTES order by nm_cliente");

constexpr int kHistoryLimit = 200;

QLabel *valueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(110);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// The debtors with their contact count.
void defineDebtorColumns(GridEX *grid)
{
    grid->addColumn(QStringLiteral("NM_CLIENTE"), QStringLiteral("Nome"), 200);
    grid->addColumn(QStringLiteral("cd_cliente"), QStringLiteral("cd_cliente"), 50)
        .setVisible(false);
    grid->addColumn(QStringLiteral("DS_CIDADE"), QStringLiteral("Cidade"), 110);
    grid->addColumn(QStringLiteral("NR_TELEFONES"), QStringLiteral("Telefone"), 100);
    grid->addColumn(QStringLiteral("nr_contatos"), QStringLiteral("Contatos"), 60);
    grid->addColumn(QStringLiteral("dt_ultimocontato"), QStringLiteral("Ult.Contato"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    grid->setKeyColumn(2);
    grid->setGroupByBoxVisible(true);
    grid->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada aqui"));
}

// The chosen debtor's cheques, grouped by situation and store.
void defineChequeColumns(GridEX *grid)
{
    // Wide enough for the group captions beside the group sums.
    grid->addColumn(QStringLiteral("DT_DEPOSITO"), QStringLiteral("Depósito"), 190)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    auto &valor = grid->addColumn(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), 100);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(kq::platform::Aggregate::Sum);
    grid->addColumn(QStringLiteral("CD_CLIENTE"), QStringLiteral("cd_cliente"), 50)
        .setVisible(false);
    grid->addColumn(QStringLiteral("DS_SITUACAO"), QStringLiteral("Situação"), 80)
        .setVisible(false);
    grid->addColumn(QStringLiteral("cd_alinea"), QStringLiteral("Alinea"), 50);
    grid->addColumn(QStringLiteral("ds_loja"), QStringLiteral("Loja"), 130);
    grid->setGroupByBoxVisible(false);
    grid->setDesignGroups({4, 6});
}

// The chosen debtor's contacts, each history shown below its row.
void defineContactColumns(GridEX *grid)
{
    grid->addColumn(QStringLiteral("DT_VANTESCA"), QStringLiteral("Data"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    grid->addColumn(QStringLiteral("DS_HISTORICO"), QStringLiteral("Historico"), 100)
        .setVisible(false);
    grid->addColumn(QStringLiteral("CD_VANTESCA"), QStringLiteral("CD_VANTESCA"), 40)
        .setVisible(false);
    grid->addColumn(QStringLiteral("ds_cobrador"), QStringLiteral("Cobrador"), 110);
    grid->addColumn(QStringLiteral("ds_envolvido"), QStringLiteral("Contato"), 130);
    grid->setKeyColumn(3);
    grid->setPreviewColumn(2, 5);
    grid->setGroupByBoxVisible(false);
}

void bind(GridEX *grid, const QString &db, const kq::data::RecordSource &source)
{
    grid->setDatabaseName(db);
    grid->setRecordSource(source);
    grid->rebind();
    grid->refresh();
}

} // namespace

fvantesca::fvantesca(QWidget *parent)
    : Screen(QStringLiteral("fvantesca"), parent)
{
    setWindowTitle(QStringLiteral("Módulo de Vantesca"));
    setEscCloses(true);
    setEnterAsTab(true);
    buildControls();
    Form_Load();
}

QString fvantesca::dbPath() const
{
    return kq::shell::dataPath(kq::data::kDevolvidos);
}

void fvantesca::buildControls()
{
    using namespace kq::platform::form;
    resize(1150, 760);

    GridEX2 = named<GridEX>(QStringLiteral("GridEX2"), this);
    GridEX2->setToolTip(QStringLiteral("Aqui aparecerão todos os  clientes cadastrados no "
                                       "sistema de vantesca e o numero de contatos efetudas com "
                                       "cara um"));
    defineDebtorColumns(GridEX2);
    Text3 = named<QLineEdit>(QStringLiteral("Text3"), this);
    GridEX3 = named<GridEX>(QStringLiteral("GridEX3"), this);
    GridEX3->setToolTip(
        QStringLiteral("Essa grade mostra todos as pendencias financeiras desse cliente"));
    defineChequeColumns(GridEX3);
    GridEX1 = named<GridEX>(QStringLiteral("GridEX1"), this);
    GridEX1->setToolTip(
        QStringLiteral("Essa grade mostra todo o histórico de vantesca desse cliente"));
    defineContactColumns(GridEX1);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("&Excluir Histórico"), this);

    // The new contact.
    dt_contato = named<kq::platform::DTPicker>(QStringLiteral("dt_contato"), this);
    DS_hISTORICO = named<QPlainTextEdit>(QStringLiteral("DS_hISTORICO"), this);
    DS_hISTORICO->setToolTip(QStringLiteral("Digite o teor da negociação"));
    DS_hISTORICO->setMaximumHeight(70);
    ENVOLVIDO = named<QLineEdit>(QStringLiteral("ENVOLVIDO"), this);
    ENVOLVIDO->setToolTip(QStringLiteral("Digite o nome da pessoa que atendeu a ligação ou esta "
                                         "representando"));
    cobrador = lookup(QStringLiteral("cobrador"),
                      QStringLiteral("select * from  usuarios order by usuario"),
                      QStringLiteral("usuario"), QStringLiteral("cd_usuario"), this);
    cobrador->setToolTip(QStringLiteral("Escolha o usuário do sistema que fez a vantesca"));
    CONFIRMA = button(QStringLiteral("CONFIRMA"), QStringLiteral("Finalizar e Gravar "), this);

    // Totals and the simulation.
    totaldivida = valueLabel(QStringLiteral("totaldivida"), this);
    mediaatraso = valueLabel(QStringLiteral("mediaatraso"), this);
    juros = named<QLineEdit>(QStringLiteral("juros"), this);
    parcelas = named<QLineEdit>(QStringLiteral("parcelas"), this);
    parcela = valueLabel(QStringLiteral("parcela"), this);
    totalfinanciado = valueLabel(QStringLiteral("totalfinanciado"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Imprimir carta Vantesca"), this);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("&Agendar Novo Contato"), this);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("&Fazer Acordo"), this);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Sair"), this);

    // Debtors on the left, beside the debtor's cheques over his contacts; the
    // new contact below them, beside the totals and the buttons (two rows of
    // two, so the screen still fits a 1024-pixel-wide screen).
    Grid{
        {Item(group(QStringLiteral("Devedor/Inadimplente"),
                    Column{GridEX2, Row{field(QStringLiteral("Chave..:"), Text3).grow(1)}}, this))
             .span(1, 2),
         group(QStringLiteral("Documentos"), Column{GridEX3}, this)},
        {skip(), group(QStringLiteral("Histórico"),
                       Column{GridEX1, Item(Command5).align(Qt::AlignRight)}, this)},
        {Grid{
             {field(QStringLiteral("Data:"), dt_contato),
              field(QStringLiteral("Quem Atendeu:"), ENVOLVIDO),
              field(QStringLiteral("Quem Cobrou:"), cobrador)},
             {field(QStringLiteral("Histórico:"), DS_hISTORICO).span(5).alignCaption(Qt::AlignTop)},
             {skip(5), CONFIRMA}}
             .columnStretch(3, 1)
             .columnStretch(5, 1),
         Column{group(QStringLiteral("Valores"),
                      Grid{{field(QStringLiteral("Total"), totaldivida),
                            field(QStringLiteral("Média Atraso"), mediaatraso)},
                           {field(QStringLiteral("Juros"), juros),
                            field(QStringLiteral("Parcelas"), parcelas)},
                           {field(QStringLiteral("Valor Parcela"), parcela),
                            Item(group(QStringLiteral("Total Financiado"), Column{totalfinanciado},
                                       this))
                                .span(2)}},
                      this),
                Grid{{Command1, Command3}, {Command4, Command2}}}}}
        .columnStretch(0, 1)
        .columnStretch(1, 1)
        .rowStretch(0, 1)
        .rowStretch(1, 1)
        .attachTo(this);

    tabOrder({dt_contato, ENVOLVIDO, cobrador, DS_hISTORICO, CONFIRMA, juros, parcelas});

    connectTrapped(CONFIRMA, &QPushButton::clicked, &fvantesca::CONFIRMA_Click);
    connectTrapped(Command1, &QPushButton::clicked, &fvantesca::Command1_Click);
    connectTrapped(Command2, &QPushButton::clicked, &fvantesca::Command2_Click);
    connectTrapped(Command3, &QPushButton::clicked, &fvantesca::Command3_Click);
    connectTrapped(Command4, &QPushButton::clicked, &fvantesca::Command4_Click);
    connectTrapped(Command5, &QPushButton::clicked, &fvantesca::Command5_Click);
    connectTrapped(GridEX2, &GridEX::rowChanged, &fvantesca::debtorRowChanged);
    connectTrapped(GridEX1, &GridEX::rowChanged, &fvantesca::contactRowChanged);
    kq::platform::setTextLimit(DS_hISTORICO, kHistoryLimit);
    juros->installEventFilter(this);
    parcelas->installEventFilter(this);
}

void fvantesca::Form_Load()
{
    const QString db = dbPath();
    const QString name = objectName();
    kq::shell::trap(name, [this, db] { bind(GridEX2, db, kDebtors); });
    dt_contato->setValue(QDate::currentDate());
    cobrador->setDatabaseName(db);
    kq::shell::trap(name, [this] { cobrador->refresh(); });
    // The logged-in user is the default collector.
    kq::shell::showUsuarioLogado(cobrador);
}

QString fvantesca::currentDebtor() const
{
    return GridEX2->hasCurrentRecord() ? GridEX2->value(2).toString() : QString();
}

QString followUpDebtor()
{
    auto *followUp = qobject_cast<fvantesca *>(
        kq::platform::ScreenRegistry::instance().find(QStringLiteral("fvantesca")));
    return followUp ? followUp->currentDebtor() : QString();
}

void fvantesca::debtorRowChanged()
{
    if (m_quiet || !GridEX2->hasCurrentRecord())
        return; // a group row names no debtor
    showDebtor(GridEX2->value(2).toString());
}

void fvantesca::showDebtor(const QString &code)
{
    m_debtor = code;
    m_chosenContact.clear();
    const QString db = dbPath();
    const QString name = objectName();
    readCheques();
    bindContacts();
    kq::shell::trap(name, [&] { m_chosenContact = firstContact(db, code).value_or(QString()); });
    parcelas->setText(QStringLiteral("0"));
    juros->setText(QStringLiteral("0"));
}

void fvantesca::readCheques()
{
    const QString db = dbPath();
    const QString name = objectName();
    kq::shell::trap(name, [&] { bind(GridEX3, db, debtorChequesSource(m_debtor)); });
    kq::shell::trap(name, [&] {
        const DebtTotals totals
            = computeDebtTotals(readDebtCheques(db, m_debtor), QDate::currentDate());
        totaldivida->setText(kq::platform::formatFixed2(totals.total));
        const auto media = totals.mediaAtraso();
        mediaatraso->setText(media ? QString::number(*media) : QString());
    });
}

void fvantesca::changeEvent(QEvent *event)
{
    Screen::changeEvent(event);
    // Agreements, write-offs and cheque entry change the cheques elsewhere:
    // coming back to this screen shows them as they are now.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_debtor.isEmpty())
        readCheques();
}

void fvantesca::bindContacts()
{
    QScopedValueRollback<bool> quiet(m_quiet, true);
    kq::shell::trap(objectName(),
                    [this] { bind(GridEX1, dbPath(), debtorContactsSource(m_debtor)); });
}

void fvantesca::contactRowChanged()
{
    if (m_quiet || !GridEX1->hasCurrentRecord())
        return;
    m_chosenContact = GridEX1->value(3).toString();
}

void fvantesca::refetchDebtors()
{
    {
        QScopedValueRollback<bool> quiet(m_quiet, true);
        kq::shell::trap(objectName(), [this] {
            GridEX2->setDatabaseName(dbPath());
            GridEX2->rebind();
            GridEX2->refresh();
            // Stay on the debtor shown, wherever the re-fetch left the row.
            if (GridEX2->value(2).toString() != m_debtor) {
                const int row = GridEX2->findRow(2, m_debtor);
                if (row >= 0)
                    GridEX2->setCurrentRow(row);
            }
        });
    }
    if (GridEX2->hasCurrentRecord() && GridEX2->value(2).toString() != m_debtor)
        debtorRowChanged();
}

void fvantesca::CONFIRMA_Click()
{
    if (m_debtor.isEmpty() || !GridEX2->hasCurrentRecord()
        || GridEX2->value(2).toString() != m_debtor) {
        kq::platform::Dialogs::message(
            QStringLiteral("Escolha o inadimplente na lista antes de gravar!!"));
        return;
    }
    if (!hasHistoryText(DS_hISTORICO->toPlainText())) {
        kq::platform::Dialogs::message(
            QStringLiteral("Digite o histórico do contato antes de gravar!!"));
        DS_hISTORICO->setFocus();
        return;
    }
    if (!kq::platform::choicesAreClear({cobrador}))
        return;
    Contact c;
    c.cliente = m_debtor;
    c.numero = nextContactNumber(GridEX2->value(5));
    c.data = dt_contato->value();
    c.historico = DS_hISTORICO->toPlainText();
    c.envolvido = ENVOLVIDO->text();
    c.cobrador = cobrador->text();
    bool counted = false;
    if (!kq::shell::trap(objectName(),
                         [&] { counted = saveContact(dbPath(), c, QDate::currentDate()); }))
        return; // nothing was written: the boxes keep what was typed
    if (counted)
        refetchDebtors();
    bindContacts();
    DS_hISTORICO->clear();
    ENVOLVIDO->clear();
    cobrador->setText(QString());
    // The next contact starts at its date, never on the button again.
    dt_contato->setFocus();
}

void fvantesca::Command5_Click()
{
    if (m_debtor.isEmpty() || m_chosenContact.isEmpty())
        return;
    std::optional<QString> history;
    kq::shell::trap(objectName(),
                    [&] { history = contactHistory(dbPath(), m_debtor, m_chosenContact); });
    if (!history) {
        m_chosenContact.clear();
        return;
    }
    if (!kq::platform::Dialogs::confirmDelete(
            QStringLiteral("Deseja Realmente excluir esse registro? :") + *history))
        return;
    kq::shell::trap(objectName(), [&] { deleteContact(dbPath(), m_debtor, m_chosenContact); });
    // The deleted contact is gone: the next delete needs a new choice.
    m_chosenContact.clear();
    bindContacts();
}

void fvantesca::Command1_Click()
{
    kq::platform::ScreenRegistry::instance().show(QStringLiteral("frelatorioscartas"));
}

void fvantesca::Command2_Click()
{
    close();
}

void fvantesca::Command3_Click()
{
    kq::platform::ScreenRegistry::instance().show(QStringLiteral("fagenda"));
}

void fvantesca::Command4_Click()
{
    kq::platform::ScreenRegistry::instance().show(QStringLiteral("facordo"));
}

void fvantesca::simulate()
{
    const auto s = simulateInstalments(totaldivida->text(), juros->text(), parcelas->text());
    if (!s)
        return;
    parcela->setText(kq::platform::formatCurrency(s->parcela));
    totalfinanciado->setText(kq::platform::formatCurrency(s->totalFinanciado));
}

void fvantesca::juros_LostFocus()
{
    simulate();
}

void fvantesca::parcelas_LostFocus()
{
    simulate();
}

bool fvantesca::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == juros || watched == parcelas) && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == juros)
                juros_LostFocus();
            else
                parcelas_LostFocus();
        }
    }
    return Screen::eventFilter(watched, event);
}

} // namespace kq::collection
