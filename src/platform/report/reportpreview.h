#pragma once

#include "platform/pageview.h"
#include "platform/report/reportpage.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QToolBar;

namespace kq::platform {

class ReportDocument;

// The pages of a report one under the other, as wide as the window; only
// the pages in sight are drawn, so a report of any length scrolls at once.
class ReportPageView : public PageView
{
    Q_OBJECT
public:
    ReportPageView(const ReportDocument *doc, ReportPageLayout *layout, QWidget *parent = nullptr);

    // The document read more lines: only the pages in sight that grew are
    // drawn again, or every one once the totals are known.
    void pagesChanged();

private:
    const ReportDocument *m_doc;
};

// The report window: the pages, with "&Imprimir...", "Salvar &PDF..." and
// "&Fechar". It owns the document and reads the rest of it a slice at a time
// while the window answers, the count read so far on its toolbar. A failure
// of the reading is told and closes the window: no short report is shown.
class ReportPreview : public QWidget
{
    Q_OBJECT
public:
    explicit ReportPreview(std::unique_ptr<ReportDocument> doc, QWidget *parent = nullptr);
    ~ReportPreview() override;

    int pageCount() const;
    ReportDocument &document() const { return *m_doc; }
    ReportPageView *pageView() const { return m_view; }
    QPrinter *printer() const { return m_printer; }

    // Reads every record left now, behind a progress window (printing and
    // the PDF); false when the user cancelled or the reading failed.
    bool readRest();

    // Toolbar actions, callable from code.
    void printPages();
    // Asks for the file name when none is given; true when written. A
    // cancelled or failed write leaves no file behind.
    bool savePdf(const QString &path = QString());

private:
    // Reads for a twentieth of a second, the window answering in between.
    void readSlice();
    // Takes in the lines read: pages, the count read so far.
    void showRead();
    // Tells a failure of the reading and closes the window.
    void readFailed(const QString &why);

    std::unique_ptr<ReportDocument> m_doc;
    std::unique_ptr<ReportPageLayout> m_layout;
    QPrinter *m_printer = nullptr;
    ReportPageView *m_view = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_read = nullptr;
    QAction *m_readAction = nullptr;
    QTimer m_reading;
    // Since the pages read were last shown.
    QElapsedTimer m_sinceShown;
};

} // namespace kq::platform
