#pragma once

#include "core/errorinfo.h"

#include <QDateTime>
#include <QString>

namespace kq::shell {

// Set on entry by the procedures that report their errors; printed by the report.
extern QString ProcedimentoAtual;
// Printed right after ProcedimentoAtual; emptied by every report.
extern QString ComplementoProcedimento;

// Appends an event to the logged-in user's activity log of the day.
// Throws kq::platform::RuntimeError when the file cannot be written.
void GravarLog(const QString &texto1, const QString &texto2);

void GravarErro(const QString &texto);
// Appends the error report of the exception being handled to the error log
// only, without showing it; a log that cannot be written is let go.
void GravarFalha(const QString &nome);

// The texts and files of the logs above.
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
