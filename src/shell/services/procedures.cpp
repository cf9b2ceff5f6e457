#include "shell/services/procedures.h"

#include "platform/dialogs.h"
#include "platform/gradient.h"
#include "platform/screen.h"

namespace kq::shell {

using kq::platform::ErrorInfo;

namespace {
// The screens' trapped handlers report their failures as every procedure does.
[[maybe_unused]] const bool g_trapsReport = [] {
    kq::platform::setTrapReporter([](const QString &nome) { MostrarErro(nome); });
    return true;
}();
} // namespace

void MostrarErro(const QString &nome, const ErrorInfo &error)
{
    const QString report
        = errorReportText(nome, error, ProcedimentoAtual + ComplementoProcedimento);
    ComplementoProcedimento.clear();
    kq::platform::Dialogs::message(report);
    try {
        GravarErro(error.detail.isEmpty()
                       ? report
                       : report + QStringLiteral("\r\nDetalhe técnico: ") + error.detail);
    } catch (const std::exception &e) {
        // The report was shown; a log that cannot be written is said once more.
        kq::platform::Dialogs::message(QString::fromUtf8(e.what()));
    }
}

void MostrarErro(const QString &nome)
{
    MostrarErro(nome, kq::platform::currentErrorInfo());
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
    kq::platform::ignoreGradientOverflow([&] { PintarFundo(frm, r, g, b, false, 5); });
}

} // namespace kq::shell
