#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

namespace kq::platform {

// Sees the progress of long work in place of the progress window (tests):
// every step, and the chance to cancel.
class ProgressBackend
{
public:
    virtual ~ProgressBackend() = default;
    // done of total steps (total 0 when unknown); false cancels the work.
    virtual bool progress(const QString &label, qint64 done, qint64 total) = 0;
};

// The progress of a piece of work that may take long. Once it has lasted
// about half a second a progress window shows the label, how far it is and
// "Cancelar"; the program's windows keep repainting while it runs. The
// window goes when the object does.
class Progress
{
public:
    explicit Progress(const QString &label, QWidget *parent = nullptr);
    ~Progress();

    // Reports done of total steps (total 0 when unknown); false once the
    // user has cancelled.
    bool step(qint64 done, qint64 total = 0);
    bool cancelled() const { return m_cancelled; }
    // step() as a function to hand to the work.
    std::function<bool(qint64, qint64)> callback();

    // Replaces the window (tests); nullptr restores it.
    static void setBackend(ProgressBackend *backend);

    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

private:
    QString m_label;
    QPointer<QWidget> m_parent;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceEvents;
    QPointer<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};

} // namespace kq::platform
