#include "collection/agreement.h"

#include "platform/format.h"

#include <cmath>

namespace kq::collection {

using kq::platform::formatCurrency;
using kq::platform::formatFixed2;
using kq::platform::formatPlain;
using kq::platform::parseNumber;

namespace {

// A shown text read back as a number; 0 when it is not one (the calculation
// only reads texts it wrote itself).
double readBack(const QString &text)
{
    return parseNumber(text).value_or(0.0);
}

void addMonth(QStringList &months, const QString &month)
{
    if (!month.isEmpty() && !months.contains(month))
        months << month;
}

} // namespace

Calculation calculate(const QVector<Cheque> &cheques, const StoreTerms &terms,
                      const kq::shell::CorrectionTable &table,
                      std::optional<double> referenceFactor, const QDate &today)
{
    Calculation calc;
    double open = 0;
    double interest = 0;
    double correction = 0;
    const double dailyRate = terms.jurosPraticado / 100.0 / 30.0;
    const double reference = referenceFactor.value_or(0.0);

    for (const Cheque &cheque : cheques) {
        ChequeCalc c;
        c.cdDevolvido = cheque.cdDevolvido;
        c.vlCheque = cheque.vlCheque;
        open += cheque.vlCheque;

        const kq::shell::Correction corr
            = kq::shell::correctValueByFactor(table, cheque.vlCheque, cheque.dtDeposito, reference);
        if (corr.status == kq::shell::Correction::NoReferenceFactor)
            calc.noReferenceFactor = true;
        c.missingMonth = corr.missingMonth;
        addMonth(calc.missingMonths, corr.missingMonth);
        c.vlAtualizado = kq::shell::roundedValue(corr.value);
        c.correction = c.vlAtualizado - c.vlCheque;
        correction += c.correction;

        c.days = cheque.dtDeposito.isValid() ? int(cheque.dtDeposito.daysTo(today)) : 0;
        c.interest = c.vlAtualizado * dailyRate * c.days;
        interest += c.interest;
        calc.cheques << c;
    }

    calc.valoraberto = formatFixed2(open);
    calc.vlJuros = formatFixed2(interest);
    calc.vlMulta = formatFixed2(open * terms.multa / 100.0);
    calc.vlHonorarios = formatFixed2(open * terms.honorarios / 100.0);
    calc.correcao = cheques.isEmpty() ? QStringLiteral("0") : formatFixed2(correction);
    const double total = readBack(calc.vlJuros) + readBack(calc.valoraberto)
                         + readBack(calc.vlMulta) + readBack(calc.vlHonorarios)
                         + readBack(calc.correcao);
    calc.vlTotal = formatPlain(total);
    calc.nrParcelas = terms.nrParcelasAcordo;
    calc.vlJurosParcelamento = terms.jurosAcordo;
    return calc;
}

double priceInstalment(double amount, double ratePercent, double n)
{
    const double i = ratePercent / 100.0;
    if (ratePercent > 0)
        return (amount * i) / (1.0 - std::pow(1.0 + i, -n));
    return amount / n;
}

std::optional<Plan> computePlan(const QString &total, const QString &honorarios,
                                const QString &count, const QString &rate, PlanForm form)
{
    const auto t = parseNumber(total);
    const auto h = parseNumber(honorarios);
    const auto n = parseNumber(count);
    const auto p = parseNumber(rate);
    if (!t || !h || !n || !p || !(*n > 0) || !std::isfinite(*n) || !std::isfinite(*p))
        return std::nullopt;

    Plan plan;
    plan.parcela = priceInstalment(*t, *p, *n);
    plan.honorariosParcela = priceInstalment(*h, *p, *n);
    plan.vlParcela
        = form == PlanForm::Store ? formatFixed2(plan.parcela) : formatCurrency(plan.parcela);
    plan.vlFinanciado = formatPlain(*n * readBack(plan.vlParcela));
    plan.vlHonorariosParcela = formatFixed2(plan.honorariosParcela);
    return plan;
}

std::optional<int> instalmentCount(const QString &text)
{
    const auto n = parseNumber(text);
    if (!n || !std::isfinite(*n) || *n != std::floor(*n) || *n < 1 || *n > kMaxInstalments)
        return std::nullopt;
    return int(*n);
}

QDate dueDate(const QDate &firstDue, int k)
{
    return firstDue.addMonths(k);
}

std::optional<QString> readAgreementTexts(const AgreementTexts &texts, Agreement &agreement)
{
    const auto count = instalmentCount(texts.nrParcelas);
    if (!count)
        return QStringLiteral("O número de parcelas deve ser um número inteiro de 1 a 32!!");
    const auto rate = parseNumber(texts.vlJurosParcelamento);
    if (!rate)
        return QStringLiteral("Os juros do parcelamento devem ser um número!!");

    const QString amounts[]
        = {texts.valoraberto, texts.vlJuros,   texts.vlMulta,      texts.vlHonorarios,
           texts.correcao,    texts.vlParcela, texts.vlFinanciado, texts.vlHonorariosParcela};
    double values[8];
    for (int i = 0; i < 8; ++i) {
        const auto v = parseNumber(amounts[i]);
        if (!v)
            return QStringLiteral("Os valores do cálculo não são números. "
                                  "Escolha a empresa novamente!!");
        values[i] = *v;
    }
    const auto first = kq::platform::parseDate(texts.dtPrimeira);
    if (!first)
        return QStringLiteral("Data do 1º vencimento inválida!!");

    agreement.nrParcelas = *count;
    agreement.vlJurosAcordo = *rate;
    agreement.vlAberto = values[0];
    agreement.vlJuros = values[1];
    agreement.vlMulta = values[2];
    agreement.vlHonorarios = values[3];
    agreement.vlCorrecao = values[4];
    agreement.vlParcela = values[5];
    agreement.vlFinanciado = values[6];
    agreement.vlHonorariosParcela = values[7];
    agreement.dt1Vencimento = *first;
    return std::nullopt;
}

kq::data::RecordSource chequeGridSource(const QString &cdCliente, const QString &cdLoja)
{
    // DEVOLVIDOS.CD_LOJA and DEVOLVIDOS.NR_DOCUMENTO are named by alias: in a
    // parenthesised join the database renames a column whose name an earlier table
    // of the join also has ("CD_LOJA:1").
    return {
        QStringLiteral("SELECT devolvidos.vl_atualizado,SITUACOES.CD_ACORDO,"
                       "DEVOLVIDOS.CD_LOJA AS CD_LOJA, "
                       "devolvidos.cd_situacao,CLIENTES.NM_CLIENTE, LOJAS.ds_loja, "
                       "DEVOLVIDOS.CD_DEVOLVIDO, DEVOLVIDOS.DT_VANTESCA, DEVOLVIDOS.DT_DEPOSITO, "
                       "DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, DEVOLVIDOS.CD_AGENCIA, "
                       "DEVOLVIDOS.CD_CONTA, DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, "
                       "DEVOLVIDOS.NR_DOCUMENTO AS NR_DOCUMENTO, DESTINOS.DS_DESTINO, "
                       "SITUACOES.DS_SITUACAO, documentos.DS_documento FROM (SITUACOES INNER JOIN "
                       "(DESTINOS INNER JOIN "
                       "(CLIENTES INNER JOIN (LOJAS INNER JOIN DEVOLVIDOS ON LOJAS.cd_loja = "
                       "DEVOLVIDOS.CD_LOJA) ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON "
                       "DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) ON SITUACOES.CD_SITUACAO = "
                       "DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON DEVOLVIDOS.cd_documento = "
                       "documentos.CD_documento where devolvidos.cd_cliente=? and "
                       "devolvidos.cd_loja=? and SITUACOES.CD_ACORDO='0' order by dt_deposito"),
        {cdCliente, cdLoja}};
}

} // namespace kq::collection
