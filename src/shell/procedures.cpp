#include "shell/procedures.h"

#include "platform/dialogs.h"
#include "platform/format.h"
#include "platform/gradient.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "shell/appstate.h"

#include <QFile>

namespace kq::shell {

using kq::platform::ErrorInfo;

QString ProcedimentoAtual;
QString ComplementoProcedimento;

namespace {
// The screens' trapped handlers report their failures as every procedure does.
[[maybe_unused]] const bool g_trapsReport = [] {
    kq::platform::setTrapReporter([](const QString &nome) { MostrarErro(nome); });
    return true;
}();

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
    return stamp(when) + QLatin1Char('-') + usuario + QLatin1Char('-') + texto1
           + QLatin1Char('-') + texto2 + kCrLf + QString(113, QLatin1Char('-')) + kCrLf;
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
    const QString path = kq::platform::programFile(activityLogFileName(codigoUser(), now.date()));
    appendToFile(path, activityLogEntry(now, usuarioLogado(), texto1, texto2));
}

void MostrarErro(const QString &nome, const ErrorInfo &error)
{
    const QString report = errorReportText(nome, error, ProcedimentoAtual + ComplementoProcedimento);
    ComplementoProcedimento.clear();
    kq::platform::Dialogs::message(report);
    try {
        GravarErro(error.detail.isEmpty()
                       ? report
                       : report + kCrLf + QStringLiteral("Detalhe técnico: ") + error.detail);
    } catch (const std::exception &e) {
        // The report was shown; a log that cannot be written is said once more.
        kq::platform::Dialogs::message(QString::fromUtf8(e.what()));
    }
}

void MostrarErro(const QString &nome)
{
    MostrarErro(nome, kq::platform::currentErrorInfo());
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

void PintarFundo(QWidget *frm, int &R, int &G, int &B, bool invertido, float passo)
{
    if (!frm)
        return;
    const int r = R;
    const int g = G;
    const int b = B;
    // Computes the bands now (so R, G, B end as after the last band and an
    // overflow is raised here); the screen paints them in its paint event.
    kq::platform::gradientBands(kq::platform::pixelsToTwips(frm->height()),
                                kq::platform::pixelsToTwips(frm->width()), R, G, B, invertido,
                                passo);
    if (auto *screen = qobject_cast<kq::platform::Screen *>(frm))
        screen->setGradient(true, r, g, b, invertido, passo);
    else
        frm->update();
}

void PintarFundoPadrao(QWidget *frm)
{
    int r = 0;
    int g = 255;
    int b = 255;
    try {
        PintarFundo(frm, r, g, b, false, 5);
    } catch (...) {
        // Resize handlers ignore errors.
    }
}

} // namespace kq::shell
