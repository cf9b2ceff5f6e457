#pragma once

#include "data/recordsource.h"
#include "shell/rules/correction.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace kq::collection {

// Collection terms of a store (table lojas) as the agreement screen uses them.
struct StoreTerms
{
    QString cdLoja;
    QString dsLoja;
    double jurosPraticado = 0; // monthly interest percent on the cheques
    double multa = 0;          // fine percent of the open total
    double honorarios = 0;     // fee percent of the open total
    // Default count and instalment rate, as the boxes show them ("0" for Null).
    QString nrParcelasAcordo;
    QString jurosAcordo;
    // Fields whose stored value is not a number (empty when all are).
    QStringList invalidFields;

    bool valid() const { return invalidFields.isEmpty(); }
};

// A cheque of the calculation: the fields the arithmetic needs.
struct Cheque
{
    QString cdDevolvido;
    QDate dtDeposito;
    double vlCheque = 0;
    QString cdAcordo; // agreement code the cheque carried when it was read
};

// One cheque worked through the calculation.
struct ChequeCalc
{
    QString cdDevolvido;
    double vlCheque = 0;
    double vlAtualizado = 0; // corrected value as stored (two decimals)
    double correction = 0;   // vlAtualizado - vlCheque
    int days = 0;            // calendar days from the deposit to today
    double interest = 0;     // at full precision
    QString missingMonth;    // month without a usable factor, "" when corrected
};

// The calculation of a debtor's cheques: each figure at the precision the
// screen shows it with.
struct Calculation
{
    QVector<ChequeCalc> cheques;
    // Deposit months that lack a factor, each once, in order of appearance.
    QStringList missingMonths;
    // No usable reference factor: every cheque kept its face value.
    bool noReferenceFactor = false;

    double valoraberto = 0;  // rounded to cents
    double vlJuros = 0;      // rounded to cents
    double vlMulta = 0;      // rounded to cents
    double vlHonorarios = 0; // rounded to cents
    double correcao = 0;     // rounded to cents
    double vlTotal = 0;      // the five above added, to 15 significant digits
    // The store's default count and instalment rate, as stored.
    QString nrParcelas;
    QString vlJurosParcelamento;
};

// Works out the calculation of a debtor's cheques at a store. Each cheque is
// corrected from its deposit month to the reference factor; a missing or zero
// factor leaves it at its face value and names the month. The interest of a
// cheque is taken on its corrected value, by the day (monthly rate / 30), and
// `correcao` is the sum of the corrections.
Calculation calculate(const QVector<Cheque> &cheques, const StoreTerms &terms,
                      const kq::shell::CorrectionTable &table,
                      std::optional<double> referenceFactor, const QDate &today);

// The monthly instalments of an agreement.
struct Plan
{
    double parcela = 0;             // at full precision
    double honorariosParcela = 0;   // at full precision
    double vlParcela = 0;           // the instalment rounded to cents
    double vlFinanciado = 0;        // count x vlParcela, to 15 significant digits
    double vlHonorariosParcela = 0; // the fee instalment rounded to cents
};

// Price (annuity) instalment of an amount over n months at a monthly rate in
// percent; a rate of 0 or less divides the amount evenly. n must be > 0.
double priceInstalment(double amount, double ratePercent, double n);

// The plan of the total and the fees over `count` months at `rate` percent.
// Empty when the count is not above 0 or the count or rate is not finite.
std::optional<Plan> computePlan(double total, double honorarios, double count, double rate);

// The count as a whole number from 1 to 32; empty otherwise (also for no
// number).
std::optional<int> instalmentCount(std::optional<double> count);
constexpr int kMaxInstalments = 32;

// Due date of instalment k (from 1): the first due date typed plus k months,
// on the last day of a month that lacks the day.
QDate dueDate(const QDate &firstDue, int k);

// Everything a save writes.
struct Agreement
{
    QString cdCliente;
    QString cdLoja;
    QDate dtAcordo;
    double vlAberto = 0;
    double txJuros = 0;
    double vlMulta = 0;
    double vlHonorarios = 0;
    double vlJurosAcordo = 0;
    int nrParcelas = 0;
    double vlParcela = 0;
    double vlCorrecao = 0;
    double vlFinanciado = 0;
    QDate dt1Vencimento;
    double vlJuros = 0;
    double vlHonorariosParcela = 0;
    // The cheques of the calculation with the agreement code each carried.
    QVector<Cheque> cheques;
};

// What the user typed for a save, as numbers and a date (each empty when its
// box holds no number or no valid date).
struct AgreementEntries
{
    std::optional<double> nrParcelas;
    std::optional<double> vlJurosParcelamento;
    std::optional<QDate> dtPrimeira;
};

// Fills an agreement from the calculation and plan shown and the entries; on
// bad input (or no plan) returns the message to show and leaves the agreement
// untouched.
std::optional<QString> readAgreement(const Calculation &calc, const std::optional<Plan> &plan,
                                     const AgreementEntries &entries, Agreement &agreement);

// Record source of the agreement screen's grid for a debtor and a store.
kq::data::RecordSource chequeGridSource(const QString &cdCliente, const QString &cdLoja);

} // namespace kq::collection
