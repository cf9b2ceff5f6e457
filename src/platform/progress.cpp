#include "platform/progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace kq::platform {

namespace {
int g_cancelAt = 0;
QString g_lastLabel;
constexpr int kShowAfterMs = 500;
} // namespace

Progress::Progress(const QString &label, int maximum)
    : m_maximum(maximum)
{
    g_lastLabel = label;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    m_dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Cancelar"), 0, maximum,
                                                 QApplication::activeWindow());
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(kShowAfterMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_cursor = true;
}

Progress::~Progress()
{
    if (m_cursor)
        QApplication::restoreOverrideCursor();
}

bool Progress::step(int value)
{
    ++m_steps;
    if (g_cancelAt > 0 && m_steps >= g_cancelAt)
        m_canceled = true;
    if (m_dialog) {
        if (m_maximum > 0)
            m_dialog->setValue(value);
        // Until the dialog shows, clicks wait: nothing else starts meanwhile.
        QCoreApplication::processEvents(m_dialog->isVisible()
                                            ? QEventLoop::AllEvents
                                            : QEventLoop::ExcludeUserInputEvents);
        if (m_dialog->wasCanceled())
            m_canceled = true;
    } else {
        QCoreApplication::processEvents();
    }
    return !m_canceled;
}

void Progress::setCancelAtStep(int steps)
{
    g_cancelAt = steps;
}

QString Progress::lastLabel()
{
    return g_lastLabel;
}

} // namespace kq::platform
