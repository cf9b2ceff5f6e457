#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

class QWidget;

namespace kq::platform {

// Progress of long work on the screen's thread: a QProgressDialog with
// "Cancelar", shown once the work has lasted half a second. setValue() keeps
// the windows painted by running pending events now and then. The dialog
// layer sees every step too, so a test can cancel (DialogBackend::progress).
class Progress
{
public:
    Progress(const QString &label, int maximum, QWidget *parent = nullptr);
    ~Progress();

    void setLabelText(const QString &text);
    void setMaximum(int maximum);
    // Records the work done; false once the user has cancelled.
    bool setValue(int value);
    bool wasCanceled() const { return m_canceled; }

    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

private:
    QPointer<QProgressDialog> m_dialog; // the parent window may go first
    QString m_label;
    int m_maximum = 0;
    QElapsedTimer m_sincePump;
    bool m_canceled = false;
};

} // namespace kq::platform
