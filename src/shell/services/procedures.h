#pragma once

#include "core/errorinfo.h"
#include "shell/rules/procedurelog.h"

#include <QString>

class QWidget;

namespace kq::shell {

// Shows the error report of a failure of screen `nome` and appends it to the
// error log, followed there by the failure's technical detail when it has one.
// Without an ErrorInfo it reports the exception being handled.
void MostrarErro(const QString &nome, const kq::platform::ErrorInfo &error);
void MostrarErro(const QString &nome);

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

} // namespace kq::shell
