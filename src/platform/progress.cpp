#include "platform/progress.h"

#include "platform/dialogs.h"
#include "core/paths.h"

#include <QApplication>
#include <QProgressDialog>

namespace kq::platform {

namespace {
constexpr int kShowAfterMs = 500;
constexpr int kPumpEveryMs = 40;
} // namespace

Progress::Progress(const QString &label, int maximum, QWidget *parent)
    : m_label(label)
    , m_maximum(std::max(0, maximum))
{
    // Without widgets (command line, GUI-free tests) only the dialog layer sees the steps.
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        m_dialog = new QProgressDialog(label, QStringLiteral("Cancelar"), 0, m_maximum,
                                       parent ? parent : QApplication::activeWindow());
        m_dialog->setWindowTitle(executableBaseName());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(kShowAfterMs);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setValue(0);
    }
    m_sincePump.start();
}

Progress::~Progress()
{
    delete m_dialog;
}

void Progress::setLabelText(const QString &text)
{
    m_label = text;
    if (m_dialog)
        m_dialog->setLabelText(text);
}

void Progress::setMaximum(int maximum)
{
    m_maximum = std::max(0, maximum);
    if (m_dialog)
        m_dialog->setMaximum(m_maximum);
}

bool Progress::setValue(int value)
{
    if (m_canceled)
        return false;
    if (Dialogs::progress(m_label, value, m_maximum))
        m_canceled = true;
    // A modal dialog runs the pending events itself on each value it takes.
    // With no maximum it shows a busy bar; a value of 0 would restart its clock.
    const bool last = m_maximum > 0 && value >= m_maximum;
    if (m_dialog && (m_sincePump.elapsed() >= kPumpEveryMs || last)) {
        m_dialog->setValue(m_maximum > 0 ? std::min(value, m_maximum) : std::max(1, value));
        // Until it shows, the dialog runs no events: the windows are painted here,
        // the user's clicks wait for the dialog.
        if (m_dialog && !m_dialog->isVisible())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sincePump.restart();
        if (m_dialog && m_dialog->wasCanceled())
            m_canceled = true;
    }
    return !m_canceled;
}

} // namespace kq::platform
