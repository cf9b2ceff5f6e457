#pragma once

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace kq::platform {

// The progress of a long task that the user may cancel. This base shows
// nothing and is never cancelled (command line, tests); a task asks
// cancelled() between its steps and stops when it says so.
class Progress
{
public:
    virtual ~Progress();
    // A new stage: what is being done and how many steps it has (0 = unknown).
    virtual void start(const QString &label, qint64 total);
    // Steps done so far in this stage.
    virtual void advance(qint64 done);
    virtual bool cancelled() const;
};

// A window with the label, a bar and "Cancelar", shown half a second after
// the task starts; the screens stay painted while it runs.
class ProgressWindow : public Progress
{
public:
    explicit ProgressWindow(const QString &title, QWidget *parent = nullptr);
    ~ProgressWindow() override;

    void start(const QString &label, qint64 total) override;
    void advance(qint64 done) override;
    bool cancelled() const override;

private:
    QProgressDialog *m_dialog = nullptr;
    QElapsedTimer m_sinceRepaint;
    qint64 m_total = 0;
};

} // namespace kq::platform
