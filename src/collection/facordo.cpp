#include "collection/facordo.h"

#include "collection/rules/agreementstore.h"
#include "collection/fvantesca.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/form.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kq::collection {

using kq::platform::Dialogs;

namespace {

const QString kName = QStringLiteral("facordo");

// Colours of the legend: required, automatic and optional fields.
const char *const kRequired = "background-color: #ffffc0;";
const char *const kAutomatic = "background-color: #e4e4e4; border: 1px solid #a0a0a0;"
                               " padding: 1px 3px;";
const char *const kOptional = "background-color: #ffffff;";

// A label the screen fills in, in the automatic fields' colour.
QLabel *automaticLabel(QWidget *parent, const QString &name)
{
    auto *label = kq::platform::form::named<QLabel>(name, parent);
    label->setAccessibleName(name);
    label->setStyleSheet(QString::fromLatin1(kAutomatic));
    return label;
}

QLabel *valueLabel(QWidget *parent, const QString &name)
{
    auto *label = automaticLabel(parent, name);
    label->setMinimumWidth(90);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit *textBox(QWidget *parent, const QString &name, const char *style)
{
    auto *box = kq::platform::form::named<QLineEdit>(name, parent);
    box->setMaximumWidth(160);
    box->setStyleSheet(QString::fromLatin1(style));
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

facordo::facordo(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Cálculo de Acordos"));
    setEscCloses(true);
    setEnterAsTab(true);
    resize(980, 640);
    buildControls();
    buildGrid();

    // Opening: the stores, the debtor, today's reference month and its factor.
    m_db = kq::shell::dataPath(kq::data::kDevolvidos);
    kq::shell::trap(kName, [&] {
        ds_loja->setDatabaseName(m_db);
        ds_loja->setRowSource(QStringLiteral("select * from  lojas order by cd_loja"));
        ds_loja->setListField(QStringLiteral("ds_loja"));
        ds_loja->setBoundColumn(QStringLiteral("cd_loja"));
        ds_loja->refresh();
        ds_loja->setCurrentRow(-1);
    });
    dt_primeira->setMask(QStringLiteral("##/##/####"));
    m_debtor = followUpDebtor();
    cd_cliente->setText(m_debtor);
    cd_ref->setMask(QStringLiteral("####/##"));
    cd_ref->setText(kq::platform::formatYearMonth(QDate::currentDate()));
    lookUpFactor();

    connectTrapped(cd_ref, &QLineEdit::textChanged, [this] { lookUpFactor(); });
    // A store is chosen when it becomes the selected row by the keys (the
    // focus alone makes a row current without choosing it). A mouse press
    // makes the row current before it selects it: the click chooses it.
    connectTrapped(ds_loja, &QListWidget::currentRowChanged, [this](int row) {
        if (row >= 0 && ds_loja->item(row)->isSelected())
            CalculaAcordo();
    });
    connectTrapped(ds_loja, &QListWidget::itemClicked, [this] { CalculaAcordo(); });
    nr_parcelas->installEventFilter(this);
    vl_jurosparcelamento->installEventFilter(this);
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, &QWidget::close);
}

void facordo::buildControls()
{
    using namespace kq::platform::form;
    cd_cliente = automaticLabel(this, QStringLiteral("cd_cliente"));
    cd_acordo = automaticLabel(this, QStringLiteral("cd_acordo"));
    cd_acordo->setMinimumWidth(60);
    ds_loja = named<kq::platform::DBList>(QStringLiteral("ds_loja"), this);
    ds_loja->setMaximumHeight(90);
    const QString storeText = QStringLiteral("Escolha  o cliente para gerar o acordo");
    auto *storeCaption = caption(storeText, ds_loja, this);
    ds_loja->setAccessibleName(storeText);
    cd_ref = known<kq::platform::MaskEdBox>(QStringLiteral("cd_ref"), this);
    cd_ref->setMaximumWidth(80);
    fator = automaticLabel(this, QStringLiteral("fator"));
    fator->setMinimumWidth(80);
    GridEX1 = named<kq::platform::GridEX>(QStringLiteral("GridEX1"), this);

    valoraberto = valueLabel(this, QStringLiteral("valoraberto"));
    vl_juros = valueLabel(this, QStringLiteral("vl_juros"));
    vl_multa = valueLabel(this, QStringLiteral("vl_multa"));
    vl_honorarios = valueLabel(this, QStringLiteral("vl_honorarios"));
    correcao = valueLabel(this, QStringLiteral("correcao"));
    vl_total = valueLabel(this, QStringLiteral("vl_total"));
    nr_parcelas = textBox(this, QStringLiteral("nr_parcelas"), kOptional);
    vl_jurosparcelamento = textBox(this, QStringLiteral("vl_jurosparcelamento"), kOptional);
    // Worked out from the count and the rate, so that the plan shown always
    // matches them.
    vl_parcela = textBox(this, QStringLiteral("vl_parcela"), kAutomatic);
    vl_parcela->setReadOnly(true);
    vl_financiado = textBox(this, QStringLiteral("vl_financiado"), kAutomatic);
    vl_financiado->setReadOnly(true);
    vl_honorariosparcela = valueLabel(this, QStringLiteral("vl_honorariosparcela"));
    dt_primeira = named<kq::platform::MaskEdBox>(QStringLiteral("dt_primeira"), this);
    dt_primeira->setStyleSheet(QString::fromLatin1(kRequired));

    const auto legend = [this](const char *text, const char *style) {
        auto *label = new QLabel(QString::fromUtf8(text), this);
        label->setStyleSheet(QString::fromLatin1(style)
                             + QStringLiteral(" border: 1px solid #a0a0a0; padding: 2px;"));
        return label;
    };
    QLabel *required = legend("Campos Obrigatórios", kRequired);
    QLabel *automatic = legend("Campos Automáticos", kAutomatic);
    QLabel *optional = legend("Campos Opcionais", kOptional);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("Fazer Acordo"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Sair"), this);

    // The store list with the debtor, the agreement and the reference month
    // beside it; the cheques; the debt on the left of the calculations, the
    // instalment plan on their right, the legend and the buttons last.
    Column{Grid{{storeCaption},
                {Item(ds_loja).span(1, 4), cd_cliente, cd_acordo},
                {skip(), cd_ref, fator}}
               .columnStretch(0, 1),
           Item(group(QStringLiteral("Documentos"), Column{GridEX1}, this)).grow(1),
           Row{Item(group(QStringLiteral("Cálculos"),
                          Grid{{field(QStringLiteral("Total em Aberto"), valoraberto),
                                field(QStringLiteral("Número Parcelas"), nr_parcelas)},
                               {field(QStringLiteral("Juros"), vl_juros),
                                field(QStringLiteral("Juros"), vl_jurosparcelamento)},
                               {field(QStringLiteral("Multa"), vl_multa),
                                field(QStringLiteral("Valor Parcela"), vl_parcela)},
                               {field(QStringLiteral("Honorários"), vl_honorarios),
                                field(QStringLiteral("Total Financiado"), vl_financiado)},
                               {field(QStringLiteral("Correção M."), correcao),
                                field(QStringLiteral("Honorários"), vl_honorariosparcela)},
                               {field(QStringLiteral("Total"), vl_total),
                                field(QStringLiteral("1º Vencimento"), dt_primeira)}}
                              .nameBoxes()
                              .columnMinimumWidth(2, 40)
                              .columnStretch(4, 1)
                              .horizontalSpacing(12),
                          this))
                   .grow(1),
               Column{required, automatic, optional, stretch(), Command2, Command1}}}
        .attachTo(this);
}

void facordo::buildGrid()
{
    const struct
    {
        const char *caption;
        const char *field;
        int width;
    } columns[] = {
        {"Cliente", "NM_CLIENTE", 160},
        {"Loja", "DS_LOJA", 120},
        {"Chave", "CD_DEVOLVIDO", 80},
        {"Cadastro", "DT_VANTESCA", 80},
        {"Depósito", "DT_DEPOSITO", 80},
        {"Valor", "VL_CHEQUE", 90},
        {"Bnc", "CD_BANCO", 40},
        {"Documento", "ds_documento", 80},
        {"Ag", "CD_AGENCIA", 50},
        {"Conta", "CD_CONTA", 80},
        {"Cheque", "NR_CHEQUE", 70},
        {"Emitente", "NM_EMITENTE", 140},
        {"Documento", "NR_DOCUMENTO", 110},
        {"Destino", "DS_DESTINO", 100},
        {"Situação", "DS_SITUACAO", 100},
        {"CD_LOJA", "CD_LOJA", 50},
        {"Vl. Atualizado", "vl_atualizado", 90},
    };
    for (const auto &c : columns)
        GridEX1->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
    GridEX1->column(3).setVisible(false);
    GridEX1->column(16).setVisible(false);
    GridEX1->column(4).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(5).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(6).setFormat(QStringLiteral("Currency"));
    GridEX1->column(17).setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    GridEX1->setKeyColumn(3);
    GridEX1->setDesignGroups({2});
    GridEX1->groupBy(2);
    GridEX1->setGroupByBoxVisible(false);
}

bool facordo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == nr_parcelas || watched == vl_jurosparcelamento) {
        auto *box = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::FocusIn) {
            // After the click that gave the focus, which would clear the selection.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        } else if (event->type() == QEvent::FocusOut) {
            if (box == vl_jurosparcelamento)
                kq::shell::trap(kName, [&] { computePlan(PlanForm::RateField); });
            else
                kq::shell::trap(kName, [&] { countLeft(); });
        }
    }
    return Screen::eventFilter(watched, event);
}

bool facordo::previewKey(QKeyEvent *event)
{
    // Enter or Space on the highlighted store chooses it, as a click does,
    // also when it is the only store or the one already chosen.
    const bool choose = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
                        || (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier);
    if (choose && QApplication::focusWidget() == ds_loja && ds_loja->currentItem()) {
        ds_loja->currentItem()->setSelected(true);
        CalculaAcordo();
        return true;
    }
    return Screen::previewKey(event);
}

void facordo::lookUpFactor()
{
    kq::shell::trap(kName, [&] {
        m_table = kq::shell::CorrectionTable::load(m_db);
        if (m_table.isEmpty()) {
            m_factor.reset();
            fator->clear();
            return;
        }
        const QString month = m_table.monthOrNewest(cd_ref->text());
        m_factor = *m_table.factor(month);
        fator->setText(kq::platform::formatPlain(*m_factor));
    });
}

void facordo::CalculaAcordo()
{
    const QString store = ds_loja->boundText();
    if (store.isEmpty())
        return;
    kq::shell::trap(kName, [&] { calculateFor(store); });
}

void facordo::calculateFor(const QString &storeCode)
{
    m_state = State();
    // The screen keeps the debtor it opened with, whatever the follow-up
    // screen selects meanwhile: an agreement is never made over another
    // debtor's cheques.
    const QString current = followUpDebtor();
    if (m_debtor.isEmpty()) {
        m_debtor = current;
        cd_cliente->setText(m_debtor);
    }
    if (m_debtor.isEmpty()) {
        Command2->setEnabled(false);
        Dialogs::message(QStringLiteral("Escolha o inadimplente no acompanhamento antes de "
                                        "calcular o acordo!!"));
        return;
    }
    if (!current.isEmpty() && current != m_debtor) {
        Dialogs::message(QStringLiteral("O acompanhamento está em outro inadimplente. "
                                        "Este cálculo continua com o inadimplente %1; "
                                        "para outro, feche esta tela e abra-a de novo.")
                             .arg(m_debtor));
    }

    const auto terms = loadStoreTerms(m_db, storeCode);
    if (!terms) {
        Command2->setEnabled(false);
        Dialogs::message(QStringLiteral("Empresa não cadastrada!!!"));
        return;
    }
    if (!terms->valid()) {
        Command2->setEnabled(false);
        Dialogs::message(QStringLiteral("As condições de cobrança da empresa não são números: %1. "
                                        "Corrija o cadastro da empresa!!")
                             .arg(terms->invalidFields.join(QStringLiteral(", "))));
        return;
    }

    correcao->setText(QStringLiteral("0"));
    const QVector<Cheque> cheques = loadEligibleCheques(m_db, m_debtor, storeCode);
    if (cheques.isEmpty()) {
        Dialogs::message(QStringLiteral("Pessoa sem débito nessa empresa"));
        Command2->setEnabled(false);
    } else {
        Command2->setEnabled(true);
    }

    m_table = kq::shell::CorrectionTable::load(m_db);
    const Calculation calc = calculate(cheques, *terms, m_table, m_factor, QDate::currentDate());
    writeCorrectedValues(m_db, calc.cheques);

    GridEX1->setDatabaseName(m_db);
    GridEX1->setRecordSource(chequeGridSource(m_debtor, storeCode));
    GridEX1->rebind();
    GridEX1->refresh();

    showCalculation(calc);

    m_state.valid = true;
    m_state.store = storeCode;
    m_state.cheques = cheques;
    if (!cheques.isEmpty()) {
        computePlan(PlanForm::Store);
        nr_parcelas->setFocus();
    }

    if (!cheques.isEmpty() && calc.noReferenceFactor) {
        Dialogs::message(QStringLiteral("Não há fator de correção para o mês de referência. "
                                        "Os cheques ficaram pelo valor de face!!"));
    } else if (!calc.missingMonths.isEmpty()) {
        Dialogs::message(QStringLiteral("Fator de correção não cadastrado para: %1. "
                                        "Os cheques desses meses ficaram pelo valor de face!!")
                             .arg(calc.missingMonths.join(QStringLiteral(", "))));
    }
}

void facordo::showCalculation(const Calculation &calc)
{
    using kq::platform::formatFixed2;
    m_calc = calc;
    valoraberto->setText(formatFixed2(calc.valoraberto));
    vl_juros->setText(formatFixed2(calc.vlJuros));
    vl_multa->setText(formatFixed2(calc.vlMulta));
    vl_honorarios->setText(formatFixed2(calc.vlHonorarios));
    // No cheque, no correction worked out: a plain 0.
    correcao->setText(calc.cheques.isEmpty() ? QStringLiteral("0") : formatFixed2(calc.correcao));
    vl_total->setText(kq::platform::formatPlain(calc.vlTotal));
    nr_parcelas->setText(calc.nrParcelas);
    vl_jurosparcelamento->setText(calc.vlJurosParcelamento);
}

std::optional<facordo::PlanInputs> facordo::planInputs() const
{
    if (!m_calc)
        return std::nullopt;
    return PlanInputs{m_calc->vlTotal, m_calc->vlHonorarios, nr_parcelas->text(),
                      vl_jurosparcelamento->text()};
}

void facordo::computePlan(PlanForm form)
{
    using kq::platform::parseNumber;
    m_planInputs = planInputs();
    const auto count = parseNumber(nr_parcelas->text());
    const auto rate = parseNumber(vl_jurosparcelamento->text());
    m_plan.reset();
    if (m_calc && count && rate)
        m_plan = kq::collection::computePlan(m_calc->vlTotal, m_calc->vlHonorarios, *count, *rate);
    if (!m_plan) {
        // No plan for a count or rate that is not a number: nothing stale shown.
        if (m_calc) {
            vl_parcela->clear();
            vl_financiado->clear();
            vl_honorariosparcela->clear();
        }
        return;
    }
    vl_parcela->setText(form == PlanForm::Store ? kq::platform::formatFixed2(m_plan->vlParcela)
                                                : kq::platform::formatCurrency(m_plan->vlParcela));
    vl_financiado->setText(kq::platform::formatPlain(m_plan->vlFinanciado));
    vl_honorariosparcela->setText(kq::platform::formatFixed2(m_plan->vlHonorariosParcela));
}

void facordo::countLeft()
{
    if (m_calc && planInputs() != m_planInputs)
        computePlan(PlanForm::RateField);
}

void facordo::Command2_Click()
{
    kq::shell::trap(kName, [&] { saveAgreement(); });
}

void facordo::saveAgreement()
{
    if (ds_loja->text().isEmpty()) {
        Dialogs::message(
            QStringLiteral("Por favor antes de executar o acordo escolha a empresa desejada!!"));
        return;
    }
    const auto terms = loadStoreTerms(m_db, ds_loja->boundText());
    if (!terms) {
        Dialogs::message(QStringLiteral("Empresa não cadastrada!!!"));
        return;
    }
    if (!m_state.savedCode.isEmpty()) {
        Dialogs::message(QStringLiteral("Esse cálculo já gerou o acordo %1. Para um novo acordo, "
                                        "escolha a empresa novamente!!")
                             .arg(m_state.savedCode));
        return;
    }
    if (!m_state.valid || !m_calc || m_state.store != terms->cdLoja || m_state.cheques.isEmpty()) {
        Dialogs::message(QStringLiteral("Escolha a empresa novamente para calcular o acordo!!"));
        return;
    }
    // The plan saved is the plan of the count and rate shown.
    if (planInputs() != m_planInputs)
        computePlan(PlanForm::RateField);

    const AgreementEntries entries{kq::platform::parseNumber(nr_parcelas->text()),
                                   kq::platform::parseNumber(vl_jurosparcelamento->text()),
                                   kq::platform::parseDate(dt_primeira->text())};
    Agreement agreement;
    if (const auto refusal = readAgreement(*m_calc, m_plan, entries, agreement)) {
        Dialogs::message(*refusal);
        return;
    }
    agreement.cdCliente = m_debtor;
    agreement.cdLoja = terms->cdLoja;
    agreement.dtAcordo = QDate::currentDate();
    agreement.txJuros = terms->jurosPraticado;
    agreement.cheques = m_state.cheques;

    const SaveOutcome outcome = kq::collection::saveAgreement(m_db, agreement);
    if (outcome.status != SaveOutcome::Saved) {
        m_state.valid = false;
        Dialogs::message(QStringLiteral("Os cheques deste cálculo mudaram depois do cálculo. "
                                        "Escolha a empresa novamente!!"));
        return;
    }
    m_state.savedCode = outcome.cdAcordo;
    cd_acordo->setText(outcome.cdAcordo);
    Command2->setEnabled(false);
    Dialogs::message(QStringLiteral("Acordo realizado com sucesso!!!!"));
}

} // namespace kq::collection
