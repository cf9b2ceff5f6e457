#include "collection/flancheques.h"

#include "collection/rules/chequereader.h"
#include "collection/rules/chequerules.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/form.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "registers/storecolors.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QVBoxLayout>

namespace kq::collection {

using kq::platform::DBCombo;
using kq::platform::GridEX;
using kq::platform::GridRow;

namespace {

const QString kCaption = QStringLiteral("Lançamento de Cheques devolvidos");
const QString kDateMask = QStringLiteral("##/##/####");

const QString kListSource = QStringLiteral(
    "SELECT DEVOLVIDOS.CD_LOJA, CLIENTES.NM_CLIENTE, LOJAS.ds_loja, "
    "DEVOLVIDOS.CD_DEVOLVIDO, DEVOLVIDOS.DT_VANTESCA, DEVOLVIDOS.DT_DEPOSITO, "
    "DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, "
    "DEVOLVIDOS.CD_AGENCIA, DEVOLVIDOS.CD_CONTA, DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, "
    "DEVOLVIDOS.NR_DOCUMENTO, DESTINOS.DS_DESTINO, SITUACOES.DS_SITUACAO, "
    "documentos.DS_documento FROM (SITUACOES INNER JOIN (DESTINOS INNER JOIN (CLIENTES INNER "
    "JOIN (LOJAS INNER JOIN DEVOLVIDOS ON LOJAS.cd_loja = DEVOLVIDOS.CD_LOJA) ON "
    "CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON DESTINOS.CD_DESTINO = "
    "DEVOLVIDOS.CD_DESTINO) ON SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO) INNER JOIN "
    "documentos ON DEVOLVIDOS.cd_documento = documentos.CD_documento");

// The list grid's designed columns.
void defineListColumns(GridEX *grid)
{
    struct Col
    {
        const char *field;
        const char *caption;
        int width;
    };
    const Col cols[] = {{"NM_CLIENTE", "Inadimplente", 160},
                        {"DS_LOJA", "Empresa", 120},
                        {"CD_DEVOLVIDO", "Chave", 80},
                        {"DT_VANTESCA", "Cadastro", 80},
                        {"DT_DEPOSITO", "Depósito", 80},
                        {"VL_CHEQUE", "Valor", 90},
                        {"CD_BANCO", "BNC", 40},
                        {"ds_documento", "Documento", 80},
                        {"CD_AGENCIA", "AG", 50},
                        {"CD_CONTA", "Conta", 80},
                        {"NR_CHEQUE", "Cheque", 70},
                        {"NM_EMITENTE", "Emitente", 150},
                        {"NR_DOCUMENTO", "Documento", 110},
                        {"DS_DESTINO", "Destino", 90},
                        {"DS_SITUACAO", "Situação", 100},
                        {"CD_LOJA", "CD_LOJA", 40}};
    for (const Col &c : cols)
        grid->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
    grid->column(3).setVisible(false);
    grid->column(16).setVisible(false);
    grid->column(4).setFormat(QStringLiteral("dd/mm/yyyy"));
    grid->column(5).setFormat(QStringLiteral("dd/mm/yyyy"));
    grid->column(6).setFormat(QStringLiteral("Currency"));
    grid->column(6).setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->column(8).setPosition(7); // the document type shows before the bank
    grid->setKeyColumn(3);
    grid->setGroupByBoxVisible(true);
    grid->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    // "Agrupar" groups by store; the list starts flat.
    grid->setDesignGroups({2});
    grid->ungroup();
    grid->setTotalRowVisible(false);
}

// The debtor's cheques, grouped by situation.
void defineChequeColumns(GridEX *grid)
{
    grid->addColumn(QStringLiteral("DT_DEPOSITO"), QStringLiteral("Depósito"), 110)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    auto &valor = grid->addColumn(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), 90);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(kq::platform::Aggregate::Sum);
    grid->addColumn(QStringLiteral("cd_cliente"), QStringLiteral("cd_cliente"), 50)
        .setVisible(false);
    grid->addColumn(QStringLiteral("cd_alinea"), QStringLiteral("Alinea"), 50);
    grid->addColumn(QStringLiteral("ds_situacao"), QStringLiteral("Situação"), 110);
    grid->setGroupByBoxVisible(false);
    grid->setDesignGroups({4});
}

QString fieldText(const QSqlQuery &q, const char *name)
{
    const QVariant v = q.value(QString::fromLatin1(name));
    return v.isNull() ? QString() : v.toString();
}

} // namespace

flancheques::flancheques(QWidget *parent)
    : Screen(QStringLiteral("flancheques"), parent)
{
    setWindowTitle(kCaption);
    setEscCloses(true);
    setEnterAsTab(true);
    buildControls();
    Form_Load();
}

QString flancheques::dbPath() const
{
    return kq::shell::dataPath(kq::data::kDevolvidos);
}

void flancheques::buildControls()
{
    using namespace kq::platform::form;
    resize(1100, 720);

    nm_cliente = lookup(QStringLiteral("nm_cliente"),
                        QStringLiteral("select * from  clientes order by nm_cliente"),
                        QStringLiteral("nm_cliente"), QStringLiteral("cd_cliente"), this);
    nm_cliente->setToolTip(
        QStringLiteral("Escolha o cliente aqui ou click ao lao para cadstra-lo"));
    Command4 = button(QStringLiteral("Command4"), QStringLiteral(">>"), this,
                      QStringLiteral("Cadastrar novo inadimplente (F2)"));
    ds_loja
        = lookup(QStringLiteral("ds_loja"), QStringLiteral("select * from  lojas order by ds_loja"),
                 QStringLiteral("ds_loja"), QStringLiteral("cd_loja"), this);
    ds_loja->setToolTip(QStringLiteral("Escolha a Loja aqui ou click ao lado para cadastra-la"));
    Command3 = button(QStringLiteral("Command3"), QStringLiteral(">>"), this,
                      QStringLiteral("Cadastrar nova loja (F3)"));
    // Out of the tab order of the fields; a function key presses each.
    Command4->setShortcut(QKeySequence(Qt::Key_F2));
    Command3->setShortcut(QKeySequence(Qt::Key_F3));
    for (QPushButton *b : {Command3, Command4}) {
        b->setFocusPolicy(Qt::ClickFocus);
        b->setFixedWidth(32);
    }

    ds_leitora = textBox(QStringLiteral("ds_leitora"), 0, this);
    ds_leitora->setToolTip(
        QStringLiteral("Usar somente quando tiver leitora de cheques ligada ao micro"));
    CD_BANCO = textBox(QStringLiteral("CD_BANCO"), 3, this);
    CD_AGENCIA = textBox(QStringLiteral("CD_AGENCIA"), 5, this);
    CD_CONTA = textBox(QStringLiteral("CD_CONTA"), 12, this);
    NR_CHEQUE = textBox(QStringLiteral("NR_CHEQUE"), 15, this);
    dt_deposito = named<kq::platform::MaskEdBox>(QStringLiteral("dt_deposito"), this);
    VL_CHEQUE = textBox(QStringLiteral("VL_CHEQUE"), 30, this);
    CD_ALINEA = textBox(QStringLiteral("CD_ALINEA"), 3, this);
    nr_documento = textBox(QStringLiteral("nr_documento"), 22, this);
    NM_EMITENTE = textBox(QStringLiteral("NM_EMITENTE"), 30, this);
    ds_destino = lookup(QStringLiteral("ds_destino"),
                        QStringLiteral("select * from  DESTINOS order by DS_DESTINO"),
                        QStringLiteral("DS_DESTINO"), QStringLiteral("CD_DESTINO"), this);
    ds_situacao = lookup(QStringLiteral("ds_situacao"),
                         QStringLiteral("select * from SITUACOES order by DS_SITUACAO"),
                         QStringLiteral("DS_SITUACAO"), QStringLiteral("CD_SITUACAO"), this);
    ds_documento = lookup(QStringLiteral("ds_documento"),
                          QStringLiteral("select * from  documentos order by ds_documento"),
                          QStringLiteral("ds_documento"), QStringLiteral("cd_documento"), this);
    CD_DEVOLVIDO = named<QLabel>(QStringLiteral("CD_DEVOLVIDO"), this);
    CD_DEVOLVIDO->setMinimumWidth(90);
    CD_DEVOLVIDO->setFrameShape(QFrame::StyledPanel);
    CONFIRMA = button(QStringLiteral("CONFIRMA"), QStringLiteral("&Incluir"), this,
                      QStringLiteral("CLICAR AQUI APOS DIGITAR TODOS OS DADOS  "));
    alterar = button(QStringLiteral("alterar"), QStringLiteral("&Alterar"), this,
                     QStringLiteral("APÓS ESCOLHER O REGISTRO A SER ALTERADO E FAZER AS "
                                    "MODIFICAÇÕES NECESÁRIAS  CLICK AQUI"));
    EXCLUIR = button(QStringLiteral("EXCLUIR"), QStringLiteral("&Excluir"), this,
                     QStringLiteral("APÓS ESCOLHER O REGISTRO A SER EXCLUIDO CLICK AQUI"));
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Limpa Campos"), this);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("&Localizar"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Sair"), this);
    agrupar = named<QCheckBox>(QStringLiteral("agrupar"), this, QStringLiteral("Agrupar"));
    GridEX3 = named<GridEX>(QStringLiteral("GridEX3"), this);
    GridEX1 = named<GridEX>(QStringLiteral("GridEX1"), this);

    // Debtor and store with their register buttons, the reader's line, then
    // the cheque's fields two to a row; the options and the debtor's cheques
    // beside them, the list of every cheque below.
    const auto withButton = [](QWidget *box, QPushButton *button) {
        return Item(Row{Item(box).grow(1), button}.spacing(2)).span(3);
    };
    const Grid entry
        = Grid{{field(QStringLiteral("Inadimplente.:"), nm_cliente,
                      withButton(nm_cliente, Command4)),
                CD_DEVOLVIDO},
               {field(QStringLiteral("Cliente.:"), ds_loja, withButton(ds_loja, Command3))},
               {field(QStringLiteral("Leitora"), ds_leitora).span(4)},
               {field(QStringLiteral("BANCO"), CD_BANCO), skip(),
                field(QStringLiteral("AGENCIA"), CD_AGENCIA)},
               {field(QStringLiteral("CONTA"), CD_CONTA), skip(),
                field(QStringLiteral("CHEQUE"), NR_CHEQUE)},
               {field(QStringLiteral("DEPÓSITO"), dt_deposito), skip(),
                field(QStringLiteral("VALOR"), VL_CHEQUE)},
               {field(QStringLiteral("ALINEA"), CD_ALINEA), skip(),
                field(QStringLiteral("CPF/GCG"), nr_documento)},
               {field(QStringLiteral("EMITENTE"), NM_EMITENTE), skip(),
                field(QStringLiteral("DESTINO"), ds_destino)},
               {field(QStringLiteral("SITUAÇÃO"), ds_situacao), skip(),
                field(QStringLiteral("Tipo Documento.:"), ds_documento)}}
              .columnStretch(1, 1)
              .columnStretch(4, 1);
    Column{Row{Item(entry).grow(3),
               group(QStringLiteral("Opções"),
                     Column{CONFIRMA, alterar, EXCLUIR, Command2, Command5, Command1, agrupar,
                            stretch()},
                     this),
               Item(group(QStringLiteral("Cheques"), Column{GridEX3}, this)).grow(2)},
           Item(GridEX1).grow(1)}
        .attachTo(this);

    defineListColumns(GridEX1);
    GridEX1->setRowFormatter([this](GridRow &r) { formatRow(r); });
    defineChequeColumns(GridEX3);

    tabOrder({nm_cliente, ds_loja,     ds_leitora,   CD_BANCO,  CD_AGENCIA,   CD_CONTA,
              NR_CHEQUE,  dt_deposito, VL_CHEQUE,    CD_ALINEA, nr_documento, NM_EMITENTE,
              ds_destino, ds_situacao, ds_documento, CONFIRMA,  alterar,      EXCLUIR,
              Command2,   Command5,    Command1,     agrupar});

    connectTrapped(CONFIRMA, &QPushButton::clicked, &flancheques::CONFIRMA_Click);
    connectTrapped(alterar, &QPushButton::clicked, &flancheques::alterar_Click);
    connectTrapped(EXCLUIR, &QPushButton::clicked, &flancheques::EXCLUIR_Click);
    connectTrapped(Command1, &QPushButton::clicked, &flancheques::Command1_Click);
    connectTrapped(Command2, &QPushButton::clicked, &flancheques::Command2_Click);
    connectTrapped(Command3, &QPushButton::clicked, &flancheques::Command3_Click);
    connectTrapped(Command4, &QPushButton::clicked, &flancheques::Command4_Click);
    connectTrapped(Command5, &QPushButton::clicked, &flancheques::Command5_Click);
    connectTrapped(agrupar, &QCheckBox::clicked, &flancheques::agrupar_Click);
    connectTrapped(GridEX1, &GridEX::rowChanged, &flancheques::gridRowChanged);
    // A chosen row, or a typed name once the box is left.
    connectTrapped(nm_cliente, &QComboBox::currentIndexChanged, &flancheques::nm_cliente_Change);
    if (nm_cliente->lineEdit())
        connectTrapped(nm_cliente->lineEdit(), &QLineEdit::editingFinished,
                       &flancheques::nm_cliente_Change);
    ds_leitora->installEventFilter(this);
}

void flancheques::Form_Load()
{
    const QString db = dbPath();
    const QString name = objectName();
    for (DBCombo *combo : {nm_cliente, ds_loja, ds_destino, ds_situacao, ds_documento}) {
        combo->setDatabaseName(db);
        kq::shell::trap(name, [combo] { combo->refresh(); });
    }
    ds_documento->setBoundText(QStringLiteral("01"));
    kq::shell::trap(name, [this, db] {
        GridEX1->setDatabaseName(db);
        GridEX1->setRecordSource(kListSource);
        GridEX1->rebind();
        GridEX1->refresh();
    });
    ds_loja->setBoundText(QStringLiteral("001"));
    kq::shell::trap(name, [this, db] { kq::registers::addStoreStyles(GridEX1, db); });
    dt_deposito->setMask(kDateMask);
    ds_destino->setBoundText(QStringLiteral("001"));
    ds_situacao->setBoundText(QStringLiteral("001"));
    nm_cliente->setText(QString());
}

bool flancheques::listsAreClear() const
{
    return kq::platform::choicesAreClear(
        {nm_cliente, ds_loja, ds_destino, ds_situacao, ds_documento});
}

ChequeForm flancheques::readForm() const
{
    ChequeForm f;
    f.cliente = nm_cliente->boundText();
    f.loja = ds_loja->boundText();
    f.destino = ds_destino->boundText();
    f.situacao = ds_situacao->boundText();
    f.documento = ds_documento->boundText();
    f.banco = CD_BANCO->text();
    f.agencia = CD_AGENCIA->text();
    f.conta = CD_CONTA->text();
    f.cheque = NR_CHEQUE->text();
    f.emitente = NM_EMITENTE->text();
    f.nrDocumento = nr_documento->text();
    f.alinea = CD_ALINEA->text();
    f.deposito = dt_deposito->text();
    f.valor = VL_CHEQUE->text();
    return f;
}

void flancheques::refreshList()
{
    GridEX1->setDatabaseName(dbPath());
    GridEX1->setRecordSource(kListSource);
    GridEX1->rebind();
    GridEX1->refresh();
}

void flancheques::clearDateBox()
{
    dt_deposito->setMask(QString());
    dt_deposito->setText(QString());
    dt_deposito->setMask(kDateMask);
}

void flancheques::CONFIRMA_Click()
{
    kq::shell::ProcedimentoAtual = windowTitle();
    kq::shell::trap(objectName(), [this] {
        if (!listsAreClear())
            return;
        const ChequeCheck check = checkCheque(dbPath(), readForm());
        if (!check.ok()) {
            kq::platform::Dialogs::message(check.refusal);
            return;
        }
        const QString key = includeCheque(dbPath(), check.record, QDate::currentDate());
        CD_DEVOLVIDO->setText(key);
        refreshList();
        clearDateBox();
        VL_CHEQUE->clear();
        NR_CHEQUE->clear();
        NM_EMITENTE->clear();
        CD_ALINEA->clear();
        CD_BANCO->setFocus();
        CD_BANCO->selectAll(); // the next cheque's bank is typed over this one
    });
}

void flancheques::alterar_Click()
{
    kq::shell::ProcedimentoAtual = windowTitle();
    kq::shell::trap(objectName(), [this] {
        const QString key = CD_DEVOLVIDO->text();
        if (!listsAreClear())
            return;
        if (chequeExists(dbPath(), key)) {
            const ChequeCheck check = checkCheque(dbPath(), readForm());
            if (!check.ok()) {
                kq::platform::Dialogs::message(check.refusal);
                return;
            }
            alterCheque(dbPath(), key, check.record, QDate::currentDate());
        }
        refreshList();
        LimpaCampos();
    });
}

void flancheques::EXCLUIR_Click()
{
    kq::shell::ProcedimentoAtual = windowTitle();
    kq::shell::trap(objectName(), [this] {
        if (kq::platform::Dialogs::confirmDelete(
                QStringLiteral("Deseja Realmente excluir esse registro? :"))) {
            // Group rows have no key: nothing is deleted.
            const QString key
                = GridEX1->hasCurrentRecord() ? GridEX1->value(3).toString() : QString();
            deleteCheque(dbPath(), key);
            refreshList();
        }
    });
    LimpaCampos();
}

void flancheques::Command2_Click()
{
    LimpaCampos();
}

void flancheques::Command1_Click()
{
    close();
}

void flancheques::Command4_Click()
{
    kq::platform::ScreenRegistry::instance().showModal(QStringLiteral("ffornecedores"));
    kq::shell::trap(objectName(), [this] { nm_cliente->refresh(); });
}

void flancheques::Command3_Click()
{
    kq::platform::ScreenRegistry::instance().showModal(QStringLiteral("flojas"));
    kq::shell::trap(objectName(), [this] { ds_loja->refresh(); });
}

void flancheques::agrupar_Click()
{
    kq::shell::trap(objectName(), [this] {
        if (agrupar->checkState() == Qt::Checked)
            GridEX1->group();
        else if (agrupar->checkState() == Qt::Unchecked)
            GridEX1->ungroup();
    });
}

void flancheques::LimpaCampos()
{
    kq::shell::ProcedimentoAtual = windowTitle();
    kq::shell::trap(objectName(), [this] {
        clearDateBox();
        for (QLineEdit *box : {CD_BANCO, CD_AGENCIA, CD_CONTA, VL_CHEQUE, nr_documento, NR_CHEQUE,
                               NM_EMITENTE, CD_ALINEA})
            box->clear();
    });
}

void flancheques::MostraRegistro(const QString &key)
{
    kq::shell::ProcedimentoAtual = windowTitle();
    kq::shell::trap(objectName(), [this, key] {
        QSqlQuery q = kq::data::exec(dbPath(),
                                     QStringLiteral("SELECT * FROM DEVOLVIDOS "
                                                    "WHERE CD_DEVOLVIDO = ?"),
                                     {key});
        if (!q.next())
            return;
        CD_DEVOLVIDO->setText(fieldText(q, "CD_DEVOLVIDO"));
        nm_cliente->setBoundText(fieldText(q, "CD_CLIENTE"));
        ds_loja->setBoundText(fieldText(q, "CD_LOJA"));
        const QVariant valor = q.value(QStringLiteral("VL_CHEQUE"));
        VL_CHEQUE->setText(valor.isNull() ? QString()
                                          : kq::platform::formatPlain(valor.toDouble()));
        dt_deposito->setText(kq::platform::formatValue(q.value(QStringLiteral("DT_DEPOSITO")),
                                                       QStringLiteral("dd/mm/yyyy")));
        ds_situacao->setBoundText(fieldText(q, "CD_SITUACAO"));
        ds_destino->setBoundText(fieldText(q, "CD_DESTINO"));
        CD_BANCO->setText(fieldText(q, "CD_BANCO"));
        CD_AGENCIA->setText(fieldText(q, "CD_AGENCIA"));
        CD_CONTA->setText(fieldText(q, "CD_CONTA"));
        NR_CHEQUE->setText(fieldText(q, "NR_CHEQUE"));
        NM_EMITENTE->setText(fieldText(q, "NM_EMITENTE"));
        nr_documento->setText(fieldText(q, "NR_DOCUMENTO"));
        CD_ALINEA->setText(fieldText(q, "CD_ALINEA"));
        ds_documento->setBoundText(fieldText(q, "CD_documento"));
    });
}

void flancheques::gridRowChanged()
{
    if (!GridEX1->hasCurrentRecord())
        return; // a group row names no cheque
    MostraRegistro(GridEX1->value(3).toString());
}

void flancheques::formatRow(GridRow &row)
{
    kq::registers::applyStoreStyle(row, 16);
    if (row.isGroupHeader()) {
        row.setGroupCaption(row.groupCaption() + QStringLiteral("  (Total= ")
                            + kq::platform::formatCurrency(row.groupSum(6)) + QStringLiteral(")"));
    }
}

void flancheques::bindHistory(const kq::data::RecordSource &recordSource)
{
    GridEX3->setDatabaseName(dbPath());
    GridEX3->setRecordSource(recordSource);
    GridEX3->rebind();
    GridEX3->refresh();
}

void flancheques::nm_cliente_Change()
{
    const QString code = nm_cliente->boundText();
    if (code == m_debtorShown)
        return;
    m_debtorShown = code;
    if (code.isEmpty())
        return;
    NM_EMITENTE->setText(nm_cliente->text());
    kq::shell::trap(objectName(), [this, code] {
        if (const auto doc = debtorDocument(dbPath(), code))
            nr_documento->setText(*doc);
        GridEX3->column(4).setField(QStringLiteral("cd_alinea"));
        bindHistory(debtorHistorySource(code));
    });
}

void flancheques::Command5_Click()
{
    const QString answer
        = kq::platform::Dialogs::inputBox(QStringLiteral("DIGITE O NÚMERO DO DOCUMENTO: "),
                                          QStringLiteral("LOCALIZAR DOCUMENTO.."))
              .value_or(QString());
    std::optional<QString> key;
    kq::shell::trap(objectName(), [&] { key = firstChequeOfDocument(dbPath(), answer); });
    if (!key) {
        kq::platform::Dialogs::message(QStringLiteral("Documento nao Cadastrado"));
        return;
    }
    MostraRegistro(*key);
    kq::shell::trap(objectName(), [this, answer] {
        // This history has no alínea: the column stays empty, one group.
        GridEX3->column(4).setField(QString());
        bindHistory(documentHistorySource(answer));
    });
}

void flancheques::ds_leitora_LostFocus()
{
    // An empty box read nothing: the boxes and the focus stay as they are.
    if (ds_leitora->text().trimmed().isEmpty())
        return;
    const ReaderLine line = cutReaderLine(ds_leitora->text());
    CD_BANCO->setText(line.banco);
    CD_AGENCIA->setText(line.agencia);
    NR_CHEQUE->setText(line.cheque);
    CD_CONTA->setText(line.conta);
    const QString key = accountKey(CD_BANCO->text(), CD_AGENCIA->text(), CD_CONTA->text());
    kq::shell::trap(objectName(), [this, key] {
        if (const auto issuer = issuerOfAccount(dbPath(), key)) {
            NM_EMITENTE->setText(issuer->nome);
            nr_documento->setText(issuer->documento);
        }
    });
    ds_leitora->clear();
    dt_deposito->setFocus();
}

bool flancheques::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ds_leitora && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Switching windows or opening a popup is not leaving the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, &flancheques::ds_leitora_LostFocus);
    }
    return Screen::eventFilter(watched, event);
}

} // namespace kq::collection
