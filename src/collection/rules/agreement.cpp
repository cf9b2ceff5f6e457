#include "collection/rules/agreement.h"

#include "core/format.h"

#include <cmath>

namespace kq::collection {

namespace {

// A figure rounded to cents as the "0.00" form shows it (never -0).
double cents(double value)
{
    const double r = kq::platform::roundHalfAway(value, 2);
    return r == 0 ? 0.0 : r;
}

// A figure at the precision of its plain text: 15 significant digits.
double plainDigits(double value)
{
    return kq::platform::parseNumber(kq::platform::formatPlain(value)).value_or(0.0);
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

    calc.valoraberto = cents(open);
    calc.vlJuros = cents(interest);
    calc.vlMulta = cents(open * terms.multa / 100.0);
    calc.vlHonorarios = cents(open * terms.honorarios / 100.0);
    calc.correcao = cents(correction);
    calc.vlTotal = plainDigits(calc.vlJuros + calc.valoraberto + calc.vlMulta + calc.vlHonorarios
                               + calc.correcao);
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

std::optional<Plan> computePlan(double total, double honorarios, double count, double rate)
{
    if (!(count > 0) || !std::isfinite(count) || !std::isfinite(rate))
        return std::nullopt;

    Plan plan;
    plan.parcela = priceInstalment(total, rate, count);
    plan.honorariosParcela = priceInstalment(honorarios, rate, count);
    plan.vlParcela = cents(plan.parcela);
    plan.vlFinanciado = plainDigits(count * plan.vlParcela);
    plan.vlHonorariosParcela = cents(plan.honorariosParcela);
    return plan;
}

std::optional<int> instalmentCount(std::optional<double> count)
{
    if (!count || !std::isfinite(*count) || *count != std::floor(*count) || *count < 1
        || *count > kMaxInstalments)
        return std::nullopt;
    return int(*count);
}

QDate dueDate(const QDate &firstDue, int k)
{
    return firstDue.addMonths(k);
}

std::optional<QString> readAgreement(const Calculation &calc, const std::optional<Plan> &plan,
                                     const AgreementEntries &entries, Agreement &agreement)
{
    const auto count = instalmentCount(entries.nrParcelas);
    if (!count)
        return QStringLiteral("O número de parcelas deve ser um número inteiro de 1 a 32!!");
    if (!entries.vlJurosParcelamento)
        return QStringLiteral("Os juros do parcelamento devem ser um número!!");
    if (!plan)
        return QStringLiteral("Os valores do cálculo não são números. "
                              "Escolha a empresa novamente!!");
    if (!entries.dtPrimeira)
        return QStringLiteral("Data do 1º vencimento inválida!!");

    agreement.nrParcelas = *count;
    agreement.vlJurosAcordo = *entries.vlJurosParcelamento;
    agreement.vlAberto = calc.valoraberto;
    agreement.vlJuros = calc.vlJuros;
    agreement.vlMulta = calc.vlMulta;
    agreement.vlHonorarios = calc.vlHonorarios;
    agreement.vlCorrecao = calc.correcao;
    agreement.vlParcela = plan->vlParcela;
    agreement.vlFinanciado = plan->vlFinanciado;
    agreement.vlHonorariosParcela = plan->vlHonorariosParcela;
    agreement.dt1Vencimento = *entries.dtPrimeira;
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
