#include "platform/progress.h"

#include "platform/paths.h"

#include <QApplication>
#include <QProgressDialog>

namespace kq::platform {

namespace {

// Work shorter than this shows no window.
const int kShowAfterMs = 500;
// How often the windows get to repaint while the work runs.
const int kEventsEveryMs = 40;
// The bar's steps when the total is known.
const int kBarSteps = 1000;

ProgressBackend *g_backend = nullptr;

} // namespace

Progress::Progress(const QString &label, QWidget *parent) : m_label(label), m_parent(parent)
{
    m_clock.start();
    m_sinceEvents.start();
}

Progress::~Progress()
{
    delete m_dialog.data();
}

bool Progress::step(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    if (g_backend) {
        m_cancelled = !g_backend->progress(m_label, done, total);
        return !m_cancelled;
    }
    if (!m_dialog && m_clock.elapsed() >= kShowAfterMs) {
        auto *dialog = new QProgressDialog(m_label, QStringLiteral("Cancelar"), 0,
                                           total > 0 ? kBarSteps : 0, m_parent);
        dialog->setWindowTitle(executableBaseName());
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setMinimumDuration(0);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->show();
        m_dialog = dialog;
    }
    if (m_dialog && total > 0)
        m_dialog->setValue(int(qBound<qint64>(0, done * kBarSteps / total, qint64(kBarSteps))));
    if (m_dialog && m_sinceEvents.elapsed() >= kEventsEveryMs) {
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    if (m_dialog && m_dialog->wasCanceled())
        m_cancelled = true;
    return !m_cancelled;
}

std::function<bool(qint64, qint64)> Progress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

void Progress::setBackend(ProgressBackend *backend)
{
    g_backend = backend;
}

} // namespace kq::platform
