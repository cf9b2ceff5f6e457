#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace kq::shell {

// What one run of the monetary update did.
struct MonetaryUpdateResult
{
    QString newestMonth;       // the month every corrected cheque was brought to
    qint64 cheques = 0;        // cheques brought up to date (on a server only those
                               // whose value or month changed are written)
    qint64 uncorrected = 0;    // cheques left at their face value
    qint64 withoutDate = 0;    // of those, cheques with no deposit date
    QStringList missingMonths; // deposit months with no factor or a zero factor, sorted
    QStringList invalidMonths; // correction rows left out: not a whole "YYYY/MM"
};

// A run refused before anything was written; the text is for the user.
class MonetaryUpdateRefused : public std::runtime_error
{
public:
    explicit MonetaryUpdateRefused(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A run stopped by its caller; everything it wrote was undone.
class MonetaryUpdateCancelled : public std::runtime_error
{
public:
    MonetaryUpdateCancelled()
        : std::runtime_error("monetary update cancelled")
    {}
};

// Told after each part of a run: cheques written so far and in all; false
// stops the run.
using MonetaryUpdateStep = std::function<bool(qint64 done, qint64 total)>;

// Brings every cheque of a devolvidos database to the newest correction
// factor, in one transaction (all or nothing): vl_atualizado = the value
// corrected from its deposit month, "0.00"; ref_atualizacao = the newest
// month. A cheque whose deposit month has no usable factor (or that has no
// deposit date) gets its face value and no reference month. Correction rows
// that are not a whole month are left out and named in the result.
// Throws MonetaryUpdateRefused (missing database, no factor, zero newest
// factor), kq::data::DataError (the write failed and was undone) or
// MonetaryUpdateCancelled (step said stop; nothing was changed).
MonetaryUpdateResult atualizarValoresBanco(const QString &dbPath,
                                           const MonetaryUpdateStep &step = {});

// The closing message of a run.
QString monetaryUpdateMessage(const MonetaryUpdateResult &result);

// "Atualizar Valores": runs the update on the data folder's database with a
// progress window whose cancel undoes it whole, and reports the outcome
// through the dialog layer.
void AtualizarValores(const QString &dataFolder);

} // namespace kq::shell
