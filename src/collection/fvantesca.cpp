#include "collection/fvantesca.h"

#include "collection/chequerules.h"
#include "collection/followup.h"
#include "collection/simulation.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "platform/format.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "platform/textlimit.h"
#include "shell/appstate.h"
#include "shell/procedures.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace kq::collection {

using kq::platform::GridEX;

namespace {

const QString kDebtors = QStringLiteral(
    "SELECT clientes.cd_cliente, CLIENTES.NM_CLIENTE, CLIENTES.DS_CIDADE, CLIENTES.NR_TELEFONES, "
    "CLIENTES.nr_contatos, CLIENTES.dt_ultimocontato From CLIENTES order by nm_cliente");

constexpr int kHistoryLimit = 200;

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel *valueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(110);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
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
    resize(1150, 760);
    auto *root = new QGridLayout(this);

    // Debtors.
    auto *devedor = new QGroupBox(QStringLiteral("Devedor/Inadimplente"), this);
    auto *devLayout = new QVBoxLayout(devedor);
    GridEX2 = new GridEX(devedor);
    GridEX2->setObjectName(QStringLiteral("GridEX2"));
    GridEX2->setToolTip(QStringLiteral("Aqui aparecerão todos os  clientes cadastrados no "
                                       "sistema de vantesca e o numero de contatos efetudas com "
                                       "cara um"));
    GridEX2->addColumn(QStringLiteral("NM_CLIENTE"), QStringLiteral("Nome"), 200);
    GridEX2->addColumn(QStringLiteral("cd_cliente"), QStringLiteral("cd_cliente"), 50)
        .setVisible(false);
    GridEX2->addColumn(QStringLiteral("DS_CIDADE"), QStringLiteral("Cidade"), 110);
    GridEX2->addColumn(QStringLiteral("NR_TELEFONES"), QStringLiteral("Telefone"), 100);
    GridEX2->addColumn(QStringLiteral("nr_contatos"), QStringLiteral("Contatos"), 60);
    GridEX2->addColumn(QStringLiteral("dt_ultimocontato"), QStringLiteral("Ult.Contato"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX2->setKeyColumn(2);
    GridEX2->setGroupByBoxVisible(true);
    GridEX2->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada aqui"));
    devLayout->addWidget(GridEX2);
    auto *chave = new QHBoxLayout;
    Text3 = new QLineEdit(devedor);
    Text3->setObjectName(QStringLiteral("Text3"));
    chave->addWidget(caption(QStringLiteral("Chave..:"), Text3, devedor));
    chave->addWidget(Text3, 1);
    devLayout->addLayout(chave);
    root->addWidget(devedor, 0, 0, 2, 1);

    // The debtor's cheques.
    auto *documentos = new QGroupBox(QStringLiteral("Documentos"), this);
    auto *docLayout = new QVBoxLayout(documentos);
    GridEX3 = new GridEX(documentos);
    GridEX3->setObjectName(QStringLiteral("GridEX3"));
    GridEX3->setToolTip(
        QStringLiteral("Essa grade mostra todos as pendencias financeiras desse cliente"));
    // Wide enough for the group captions beside the group sums.
    GridEX3->addColumn(QStringLiteral("DT_DEPOSITO"), QStringLiteral("Depósito"), 190)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    auto &valor = GridEX3->addColumn(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), 100);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(kq::platform::Aggregate::Sum);
    GridEX3->addColumn(QStringLiteral("CD_CLIENTE"), QStringLiteral("cd_cliente"), 50)
        .setVisible(false);
    GridEX3->addColumn(QStringLiteral("DS_SITUACAO"), QStringLiteral("Situação"), 80)
        .setVisible(false);
    GridEX3->addColumn(QStringLiteral("cd_alinea"), QStringLiteral("Alinea"), 50);
    GridEX3->addColumn(QStringLiteral("ds_loja"), QStringLiteral("Loja"), 130);
    GridEX3->setGroupByBoxVisible(false);
    GridEX3->setDesignGroups({4, 6});
    docLayout->addWidget(GridEX3);
    root->addWidget(documentos, 0, 1);

    // Contacts.
    auto *historico = new QGroupBox(QStringLiteral("Histórico"), this);
    auto *histLayout = new QVBoxLayout(historico);
    GridEX1 = new GridEX(historico);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setToolTip(
        QStringLiteral("Essa grade mostra todo o histórico de vantesca desse cliente"));
    GridEX1->addColumn(QStringLiteral("DT_VANTESCA"), QStringLiteral("Data"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->addColumn(QStringLiteral("DS_HISTORICO"), QStringLiteral("Historico"), 100)
        .setVisible(false);
    GridEX1->addColumn(QStringLiteral("CD_VANTESCA"), QStringLiteral("CD_VANTESCA"), 40)
        .setVisible(false);
    GridEX1->addColumn(QStringLiteral("ds_cobrador"), QStringLiteral("Cobrador"), 110);
    GridEX1->addColumn(QStringLiteral("ds_envolvido"), QStringLiteral("Contato"), 130);
    GridEX1->setKeyColumn(3);
    GridEX1->setPreviewColumn(2, 5);
    GridEX1->setGroupByBoxVisible(false);
    histLayout->addWidget(GridEX1);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("&Excluir Histórico"),
                      historico);
    histLayout->addWidget(Command5, 0, Qt::AlignRight);
    root->addWidget(historico, 1, 1);

    // The new contact.
    auto *contato = new QGridLayout;
    dt_contato = new kq::platform::DTPicker(this);
    dt_contato->setObjectName(QStringLiteral("dt_contato"));
    DS_hISTORICO = new QPlainTextEdit(this);
    DS_hISTORICO->setObjectName(QStringLiteral("DS_hISTORICO"));
    DS_hISTORICO->setToolTip(QStringLiteral("Digite o teor da negociação"));
    DS_hISTORICO->setMaximumHeight(70);
    ENVOLVIDO = new QLineEdit(this);
    ENVOLVIDO->setObjectName(QStringLiteral("ENVOLVIDO"));
    ENVOLVIDO->setToolTip(QStringLiteral("Digite o nome da pessoa que atendeu a ligação ou esta "
                                         "representando"));
    cobrador = new kq::platform::DBCombo(this);
    cobrador->setObjectName(QStringLiteral("cobrador"));
    cobrador->setToolTip(QStringLiteral("Escolha o usuário do sistema que fez a vantesca"));
    cobrador->setRowSource(QStringLiteral("select * from  usuarios order by usuario"));
    cobrador->setListField(QStringLiteral("usuario"));
    cobrador->setBoundColumn(QStringLiteral("cd_usuario"));
    CONFIRMA = button(QStringLiteral("CONFIRMA"), QStringLiteral("Finalizar e Gravar "), this);
    contato->addWidget(caption(QStringLiteral("Data:"), dt_contato, this), 0, 0);
    contato->addWidget(dt_contato, 0, 1);
    contato->addWidget(caption(QStringLiteral("Quem Atendeu:"), ENVOLVIDO, this), 0, 2);
    contato->addWidget(ENVOLVIDO, 0, 3);
    contato->addWidget(caption(QStringLiteral("Quem Cobrou:"), cobrador, this), 0, 4);
    contato->addWidget(cobrador, 0, 5);
    contato->addWidget(caption(QStringLiteral("Histórico:"), DS_hISTORICO, this), 1, 0,
                       Qt::AlignTop);
    contato->addWidget(DS_hISTORICO, 1, 1, 1, 5);
    contato->addWidget(CONFIRMA, 2, 5);
    contato->setColumnStretch(3, 1);
    contato->setColumnStretch(5, 1);
    root->addLayout(contato, 2, 0);

    // Totals and the simulation.
    auto *valores = new QGroupBox(QStringLiteral("Valores"), this);
    auto *valLayout = new QGridLayout(valores);
    totaldivida = valueLabel(QStringLiteral("totaldivida"), valores);
    mediaatraso = valueLabel(QStringLiteral("mediaatraso"), valores);
    juros = new QLineEdit(valores);
    juros->setObjectName(QStringLiteral("juros"));
    parcelas = new QLineEdit(valores);
    parcelas->setObjectName(QStringLiteral("parcelas"));
    parcela = valueLabel(QStringLiteral("parcela"), valores);
    valLayout->addWidget(new QLabel(QStringLiteral("Total"), valores), 0, 0);
    valLayout->addWidget(totaldivida, 0, 1);
    valLayout->addWidget(new QLabel(QStringLiteral("Média Atraso"), valores), 0, 2);
    valLayout->addWidget(mediaatraso, 0, 3);
    valLayout->addWidget(caption(QStringLiteral("Juros"), juros, valores), 1, 0);
    valLayout->addWidget(juros, 1, 1);
    valLayout->addWidget(caption(QStringLiteral("Parcelas"), parcelas, valores), 1, 2);
    valLayout->addWidget(parcelas, 1, 3);
    valLayout->addWidget(new QLabel(QStringLiteral("Valor Parcela"), valores), 2, 0);
    valLayout->addWidget(parcela, 2, 1);
    auto *financiado = new QGroupBox(QStringLiteral("Total Financiado"), valores);
    auto *finLayout = new QVBoxLayout(financiado);
    totalfinanciado = valueLabel(QStringLiteral("totalfinanciado"), financiado);
    finLayout->addWidget(totalfinanciado);
    valLayout->addWidget(financiado, 2, 2, 1, 2);

    auto *side = new QVBoxLayout;
    side->addWidget(valores);
    // Two rows of two, so the screen still fits a 1024-pixel-wide screen.
    auto *buttons = new QGridLayout;
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Imprimir carta Vantesca"),
                      this);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("&Agendar Novo Contato"), this);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("&Fazer Acordo"), this);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Sair"), this);
    buttons->addWidget(Command1, 0, 0);
    buttons->addWidget(Command3, 0, 1);
    buttons->addWidget(Command4, 1, 0);
    buttons->addWidget(Command2, 1, 1);
    side->addLayout(buttons);
    root->addLayout(side, 2, 1);
    root->setColumnStretch(0, 1);
    root->setColumnStretch(1, 1);
    root->setRowStretch(0, 1);
    root->setRowStretch(1, 1);

    setTabOrder(dt_contato, ENVOLVIDO);
    setTabOrder(ENVOLVIDO, cobrador);
    setTabOrder(cobrador, DS_hISTORICO);
    setTabOrder(DS_hISTORICO, CONFIRMA);
    setTabOrder(CONFIRMA, juros);
    setTabOrder(juros, parcelas);

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
        const DebtTotals totals = computeDebtTotals(readDebtCheques(db, m_debtor),
                                                    QDate::currentDate());
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
    kq::shell::trap(objectName(), [this] {
        bind(GridEX1, dbPath(), debtorContactsSource(m_debtor));
    });
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
