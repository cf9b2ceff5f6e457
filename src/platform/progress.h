#pragma once

#include <QString>

#include <memory>

class QProgressDialog;

namespace kq::platform {

// Progress of long work: a dialog with a "Cancelar" button that appears only
// when the work lasts longer than about half a second. Each step lets the
// screen repaint; the user's clicks reach only the dialog once it shows.
class Progress
{
public:
    // maximum 0: a busy bar without a known end.
    explicit Progress(const QString &label, int maximum = 0);
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    // Moves the bar (value ignored on a busy bar) and repaints; false once
    // the user has cancelled.
    bool step(int value = 0);
    bool wasCanceled() const { return m_canceled; }

    // Tests: every progress is cancelled at its `steps`-th step (0: never).
    static void setCancelAtStep(int steps);
    // Tests: the label of the last progress created.
    static QString lastLabel();

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    int m_maximum = 0;
    int m_steps = 0;
    bool m_canceled = false;
    bool m_cursor = false;
};

} // namespace kq::platform
