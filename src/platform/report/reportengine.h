#pragma once

#include "platform/report/reportdefinition.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QWidget>
#include <optional>

class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

namespace kq::platform {

// The rows of one run of a report: for each record the values of its
// columns, then of its group fields.
struct ReportData
{
    ReportDefinition def;
    QString formula;
    QVector<QVariantList> rows;
    QDateTime made;
};

// Runs a definition over a database with a selection formula (parsed into
// bound values; fields of the definition's tables only). Empty optional and
// *error on failure.
std::optional<ReportData> runReport(const ReportDefinition &def, const QString &dbPath,
                                    const QString &formula, QString *error);

// One printed line of a report (before pagination).
struct ReportLine
{
    enum Kind { GroupHeader, Detail, GroupTotal, GrandTotal };
    Kind kind = Detail;
    int level = 0;
    QString text;      // group caption lines
    QStringList cells; // per column
};
QVector<ReportLine> reportLines(const ReportData &data);

// Draws the report on a printer (also a PDF printer): title, column
// headers on every page, groups with totals, "Página n de N". Returns the
// pages drawn.
int renderReport(QPrinter *printer, const ReportData &data);

// The report window: the pages, with "&Imprimir...", "Salvar &PDF..." and
// "&Fechar".
class ReportPreview : public QWidget
{
    Q_OBJECT
public:
    explicit ReportPreview(const ReportData &data, QWidget *parent = nullptr);
    ~ReportPreview() override;

    int pageCount() const;
    const ReportData &data() const { return m_data; }
    QPrintPreviewWidget *previewWidget() const { return m_preview; }

    // Toolbar actions, callable from code.
    void printPages();
    // Asks for the file name when none is given; true when written.
    bool savePdf(const QString &path = QString());

private:
    ReportData m_data;
    QPrinter *m_printer = nullptr;
    QPrintPreviewWidget *m_preview = nullptr;
    QToolBar *m_toolBar = nullptr;
};

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

    // Shows the report window; on failure tells the user why and returns false.
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
