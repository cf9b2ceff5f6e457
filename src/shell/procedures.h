#pragma once

#include "platform/errorinfo.h"

#include <QDateTime>
#include <QString>

class QWidget;

namespace kq::shell {

// Set on entry by the procedures that report their errors; printed by the report.
extern QString ProcedimentoAtual;
// Printed right after ProcedimentoAtual; emptied by every report.
extern QString ComplementoProcedimento;

// Appends an event to the logged-in user's activity log of the day.
// Throws kq::platform::RuntimeError when the file cannot be written.
void GravarLog(const QString &texto1, const QString &texto2);

// Shows the error report of a failure of screen `nome` and appends it to the
// error log, followed there by the failure's technical detail when it has one.
// Without an ErrorInfo it reports the exception being handled.
void MostrarErro(const QString &nome, const kq::platform::ErrorInfo &error);
void MostrarErro(const QString &nome);
void GravarErro(const QString &texto);
// Appends the error report of the exception being handled to the error log
// only, without showing it; a log that cannot be written is let go.
void GravarFalha(const QString &nome);

// Paints a window's background as 63 bands; R, G and B end as the colour
// after the last band. Throws std::overflow_error past the 16-bit range.
void PintarFundo(QWidget *frm, int &R, int &G, int &B, bool invertido, float passo);
// The callers' usual arguments: red 0, green 255, blue 255, bottom-up, step 5.
void PintarFundoPadrao(QWidget *frm);

// Runs one step under the error trap: a failure is reported with MostrarErro
// and the caller goes on. Returns false when the step failed.
template<class Step>
bool trap(const QString &nome, Step &&step)
{
    try {
        step();
        return true;
    } catch (...) {
        MostrarErro(nome);
        return false;
    }
}

// GUI-free pieces, for the procedures above and their tests.
QString activityLogFileName(const QString &codigoUsuario, const QDate &day);
QString activityLogEntry(const QDateTime &when, const QString &usuario, const QString &texto1,
                         const QString &texto2);
QString errorReportText(const QString &nome, const kq::platform::ErrorInfo &error,
                        const QString &procedimento);
QString errorLogEntry(const QDateTime &when, const QString &report);
QString errorLogFileName();
// Appends text to a file of the program folder; throws RuntimeError on failure.
void appendToFile(const QString &path, const QString &text);

} // namespace kq::shell
