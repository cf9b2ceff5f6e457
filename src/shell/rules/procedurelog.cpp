#include "shell/rules/procedurelog.h"

#include "core/format.h"
#include "core/paths.h"
#include "shell/rules/session.h"

#include <QFile>

namespace kq::shell {

using kq::platform::ErrorInfo;

QString ProcedimentoAtual;
QString ComplementoProcedimento;

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString stamp(const QDateTime &when)
{
    return QStringLiteral("Data: ") + kq::platform::formatDate(when.date())
           + QStringLiteral(" Hora: ") + kq::platform::formatTime(when.time());
}
} // namespace

QString activityLogFileName(const QString &codigoUsuario, const QDate &day)
{
    return QStringLiteral("VAN") + codigoUsuario + day.toString(QStringLiteral("ddMMyy"))
           + QStringLiteral(".log");
}

QString activityLogEntry(const QDateTime &when, const QString &usuario, const QString &texto1,
                         const QString &texto2)
{
    return stamp(when) + QLatin1Char('-') + usuario + QLatin1Char('-') + texto1 + QLatin1Char('-')
           + texto2 + kCrLf + QString(113, QLatin1Char('-')) + kCrLf;
}

QString errorReportText(const QString &nome, const ErrorInfo &error, const QString &procedimento)
{
    return QStringLiteral("Erro No.") + QString::number(error.number) + QStringLiteral(" - ")
           + error.description + kCrLf + QStringLiteral("Formulário: ") + nome + kCrLf
           + QStringLiteral("Objeto: ") + error.source + kCrLf + QStringLiteral("Procedure: ")
           + procedimento + kCrLf
           + QStringLiteral("Anote as informações acima e contacte o suporte.");
}

QString errorLogEntry(const QDateTime &when, const QString &report)
{
    return stamp(when) + kCrLf + report + kCrLf + QStringLiteral(" ") + kCrLf
           + QString(103, QLatin1Char('-')) + kCrLf;
}

QString errorLogFileName()
{
    return kq::platform::executableBaseName() + QStringLiteral(".log");
}

void appendToFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw kq::platform::RuntimeError(75, QStringLiteral("Erro de acesso ao arquivo ") + path
                                                 + QStringLiteral(": ") + file.errorString());
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw kq::platform::RuntimeError(61, QStringLiteral("Não foi possível gravar o arquivo ")
                                                 + path);
    }
}

void GravarLog(const QString &texto1, const QString &texto2)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString path
        = kq::platform::programFile(activityLogFileName(session().codigoUsuario, now.date()));
    appendToFile(path, activityLogEntry(now, session().usuario, texto1, texto2));
}

void GravarErro(const QString &texto)
{
    appendToFile(kq::platform::programFile(errorLogFileName()),
                 errorLogEntry(QDateTime::currentDateTime(), texto));
}

void GravarFalha(const QString &nome)
{
    try {
        GravarErro(errorReportText(nome, kq::platform::currentErrorInfo(), ProcedimentoAtual));
    } catch (...) {
        // Nowhere left to say it.
    }
}

} // namespace kq::shell
