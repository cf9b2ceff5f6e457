#include "platform/progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace kq::platform {

namespace {
// The bar counts in thousandths, whatever the number of steps.
constexpr int kBarSteps = 1000;
constexpr int kRepaintMs = 50;
} // namespace

Progress::~Progress() = default;

void Progress::start(const QString &, qint64) {}

void Progress::advance(qint64) {}

bool Progress::cancelled() const
{
    return false;
}

ProgressWindow::ProgressWindow(const QString &title, QWidget *parent)
    : m_dialog(new QProgressDialog(parent))
{
    m_dialog->setWindowTitle(title);
    m_dialog->setCancelButtonText(QStringLiteral("Cancelar"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setRange(0, kBarSteps);
    m_dialog->setMinimumWidth(420);
    m_sinceRepaint.start();
}

ProgressWindow::~ProgressWindow()
{
    delete m_dialog;
}

void ProgressWindow::start(const QString &label, qint64 total)
{
    m_total = total;
    m_dialog->setLabelText(label);
    m_dialog->setRange(0, total > 0 ? kBarSteps : 0);
    m_dialog->setValue(0);
    m_sinceRepaint.restart();
}

void ProgressWindow::advance(qint64 done)
{
    if (m_sinceRepaint.elapsed() < kRepaintMs)
        return;
    m_sinceRepaint.restart();
    if (m_total > 0)
        m_dialog->setValue(int(qMin<qint64>(kBarSteps, done * kBarSteps / m_total)));
    QCoreApplication::processEvents();
}

bool ProgressWindow::cancelled() const
{
    return m_dialog->wasCanceled();
}

} // namespace kq::platform
