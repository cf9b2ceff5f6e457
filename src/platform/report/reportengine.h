#pragma once

#include "platform/report/reportpreview.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace kq::platform {

// The report engine of the launcher screens: a data file, a report file, the
// window options and a selection formula, then run().
class ReportEngine : public QObject
{
    Q_OBJECT
public:
    explicit ReportEngine(QObject *parent = nullptr);

    // Only data file 0 (the database) is used.
    void setDataFiles(int index, const QString &path);
    QString dataFile() const { return m_dataFile; }
    void setReportFileName(const QString &path) { m_reportFile = path; }
    QString reportFileName() const { return m_reportFile; }
    // The window's print-setup button and its state (2: maximised).
    void setWindowShowPrintSetupBtn(bool on) { m_printSetup = on; }
    void setWindowState(int state) { m_windowState = state; }
    int windowState() const { return m_windowState; }
    void setSelectionFormula(const QString &formula) { m_formula = formula; }
    QString selectionFormula() const { return m_formula; }

    // Shows the report window at its first page; the window reads the rest
    // while it answers. On failure tells the user why and returns false.
    bool run();
    // The window of the last run (nullptr once closed).
    ReportPreview *preview() const { return m_preview; }
    QString lastError() const { return m_error; }

private:
    QString m_dataFile;
    QString m_reportFile;
    QString m_formula;
    QString m_error;
    bool m_printSetup = false;
    int m_windowState = 0;
    QPointer<ReportPreview> m_preview;
};

} // namespace kq::platform
