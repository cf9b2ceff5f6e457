#include "platform/report/reportengine.h"

#include "data/dataerror.h"
#include "platform/dialogs.h"
#include "platform/report/reportdocument.h"
#include "platform/report/reportpreview.h"

#include <QApplication>
#include <QFileInfo>

namespace kq::platform {

namespace {
// Lines read before the window opens: its first page and some more.
constexpr int kFirstLines = 200;
} // namespace

ReportEngine::ReportEngine(QObject *parent)
    : QObject(parent)
{}

void ReportEngine::setDataFiles(int index, const QString &path)
{
    if (index == 0)
        m_dataFile = path;
}

bool ReportEngine::run()
{
    m_error.clear();
    if (m_reportFile.isEmpty() || QFileInfo(m_reportFile).isDir()) {
        m_error = QStringLiteral("Escolha o relatório a emitir.");
    } else if (auto def = ReportDefinition::load(m_reportFile, &m_error)) {
        // The database sorts every row before it gives the first.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::unique_ptr<ReportDocument> doc
            = ReportDocument::open(*def, m_dataFile, m_formula, &m_error);
        try {
            if (doc)
                doc->readLines(kFirstLines);
        } catch (const kq::data::DataError &e) {
            doc.reset();
            m_error = e.description();
        }
        QApplication::restoreOverrideCursor();
        if (doc) {
            // The window reads the rest while it answers.
            auto *window = new ReportPreview(std::move(doc));
            m_preview = window;
            if (m_windowState == 2)
                window->showMaximized();
            else
                window->show();
            return true;
        }
    }
    Dialogs::message(m_error, QString(), Buttons::Ok, Icon::Warning);
    return false;
}

} // namespace kq::platform
