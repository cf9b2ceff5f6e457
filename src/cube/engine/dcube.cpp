#include "cube/engine/dcube.h"

#include "cube/engine/cubeview.h"
#include "platform/progress.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QVBoxLayout>
#include <limits>
#include <optional>

namespace kq::platform {

namespace {

// The cube's progress (done of total; total 0 when not known) on a progress
// window, made at the first step: work that never reports makes none.
class WindowProgress
{
public:
    WindowProgress(const QString &label, QWidget *parent)
        : m_label(label)
        , m_parent(parent)
    {}

    CubeProgress callback()
    {
        return [this](qint64 done, qint64 total) {
            return step(done, total);
        };
    }

private:
    bool step(qint64 done, qint64 total)
    {
        const int most = std::numeric_limits<int>::max();
        if (!m_progress)
            m_progress.emplace(m_label, int(qMin<qint64>(total, most)), m_parent);
        else if (total != m_total)
            m_progress->setMaximum(int(qMin<qint64>(total, most)));
        m_total = total;
        return m_progress->setValue(int(qMin<qint64>(done, most)));
    }

    QString m_label;
    QWidget *m_parent;
    qint64 m_total = 0;
    std::optional<Progress> m_progress;
};

} // namespace

DCube::DCube(QWidget *parent)
    : QWidget(parent)
    , m_model(new CubeModel(this))
{
    m_model->style().font = font();
    m_model->style().fieldFont = font();
    QFont italic = font();
    italic.setItalic(true);
    m_model->style().filteredFieldFont = italic;
    m_model->style().headingsFont = font();
    QFont bold = font();
    bold.setBold(true);
    m_model->style().totalsFont = bold;
    m_view = new CubeView(this);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_view);
    setFocusProxy(m_view);
    QObject::connect(m_model, &CubeModel::formatCellRequested, this, &DCube::formatCell);
    QObject::connect(m_model, &CubeModel::layoutChanged, this, &DCube::layoutChanged);
    QObject::connect(m_model, &CubeModel::dataFieldShownChanged, this,
                     &DCube::dataFieldShownChanged);
    QObject::connect(m_model, &CubeModel::errorOccurred, this, &DCube::errorOccurred);
}

DCube::~DCube() = default;

CubeResult DCube::rebuild()
{
    WindowProgress progress(QStringLiteral("Montando o cubo..."), this);
    const CubeResult ok = m_model->rebuild(progress.callback());
    m_view->clearFormats();
    m_view->viewport()->update();
    return ok;
}

void DCube::refresh()
{
    m_model->ensureLayout();
    m_view->clearFormats();
    m_view->formatVisibleCells();
    m_view->viewport()->repaint();
}

static void restyle(DCube *cube)
{
    cube->view()->clearFormats();
    cube->view()->viewport()->update();
}

void DCube::setBorderStyle(int v)
{
    m_model->style().borderStyle = v;
    restyle(this);
}
void DCube::setRowStyle(int v)
{
    m_model->style().rowStyle = v;
    restyle(this);
}
void DCube::setColStyle(int v)
{
    m_model->style().colStyle = v;
    restyle(this);
}
void DCube::setGridStyle(int v)
{
    m_model->style().gridStyle = v;
    restyle(this);
}
void DCube::setGridColor(int c)
{
    m_model->style().gridColor = c;
    restyle(this);
}
void DCube::setCubeBackColor(int c)
{
    m_model->style().cubeBackColor = c;
    restyle(this);
}
void DCube::setFieldsBackColor(int c)
{
    m_model->style().fieldsBackColor = c;
    restyle(this);
}
void DCube::setFieldsForeColor(int c)
{
    m_model->style().fieldsForeColor = c;
    restyle(this);
}
void DCube::setFieldFont(const QFont &f)
{
    m_model->style().fieldFont = f;
    restyle(this);
}
void DCube::setFilteredFieldsBackColor(int c)
{
    m_model->style().filteredFieldsBackColor = c;
    restyle(this);
}
void DCube::setFilteredFieldsForeColor(int c)
{
    m_model->style().filteredFieldsForeColor = c;
    restyle(this);
}
void DCube::setFilteredFieldFont(const QFont &f)
{
    m_model->style().filteredFieldFont = f;
    restyle(this);
}
void DCube::setHeadingsBackColor(int c)
{
    m_model->style().headingsBackColor = c;
    restyle(this);
}
void DCube::setHeadingsForeColor(int c)
{
    m_model->style().headingsForeColor = c;
    restyle(this);
}
void DCube::setHeadingsFont(const QFont &f)
{
    m_model->style().headingsFont = f;
    restyle(this);
}
void DCube::setTotalsBackColor(int c)
{
    m_model->style().totalsBackColor = c;
    restyle(this);
}
void DCube::setTotalsForeColor(int c)
{
    m_model->style().totalsForeColor = c;
    restyle(this);
}
void DCube::setTotalsFont(const QFont &f)
{
    m_model->style().totalsFont = f;
    restyle(this);
}
void DCube::setCubeFont(const QFont &f)
{
    m_model->style().font = f;
    restyle(this);
}

void DCube::setMousePointer(int pointer)
{
    m_mousePointer = pointer;
    switch (pointer) {
    case 11:
        m_view->viewport()->setCursor(Qt::WaitCursor);
        break;
    case 13:
        m_view->viewport()->setCursor(Qt::BusyCursor);
        break;
    default:
        m_view->viewport()->unsetCursor();
        break;
    }
}

CubeHitRecord DCube::hitTest(const QPoint &pos) const
{
    return m_view->hitTest(m_view->viewport()->mapFrom(this, pos));
}

CubeResult DCube::load(const QString &path)
{
    WindowProgress progress(QStringLiteral("Abrindo o arquivo do cubo..."), this);
    const CubeResult r = m_model->load(path, progress.callback());
    m_view->clearFormats();
    m_view->viewport()->update();
    return r;
}

CubeResult DCube::save(const QString &path, int flags)
{
    WindowProgress progress(QStringLiteral("Gravando o arquivo do cubo..."), this);
    return m_model->save(path, flags, progress.callback());
}

CubeResult DCube::exportHtml(const QString &path, bool totals, bool formatted, bool colors,
                             bool merge)
{
    WindowProgress progress(QStringLiteral("Exportando o cubo..."), this);
    return m_model->exportHtml(path, totals, formatted, colors, merge, progress.callback());
}

CubeResult DCube::exportExcel(const QString &path, bool totals, bool formatted, bool colors,
                              bool merge)
{
    WindowProgress progress(QStringLiteral("Exportando o cubo..."), this);
    return m_model->exportExcel(path, totals, formatted, colors, merge, progress.callback());
}

CubeResult DCube::openUrl(const QString &url)
{
    const CubeResult ok = m_model->openUrl(url);
    m_view->clearFormats();
    m_view->viewport()->update();
    return ok;
}

QWidget *DCube::showFilterPopup(CubeField *field)
{
    return m_view->showFilterPopup(field);
}

// --- printing -----------------------------------------------------------------

namespace {

struct PrintPlan
{
    double scale = 1;
    int rowH = 0;
    int headerH = 0, footerH = 0;
    int colLevels = 1;
    QVector<int> rowLevelX;
    QVector<QPair<int, int>> rowChunks, colChunks; // [first, last]
    QVector<int> colW;
    QRect page;
};

PrintPlan planPages(CubeModel *m, QPrinter *printer, const QFont &font)
{
    PrintPlan plan;
    plan.page = printer->pageLayout().paintRectPixels(printer->resolution());
    plan.page.moveTo(0, 0);
    plan.scale = printer->resolution() / 96.0;
    QFont f = font;
    const QFontMetrics fm(f, printer);
    plan.rowH = fm.height() + int(4 * plan.scale);
    plan.headerH = plan.rowH * 2;
    plan.footerH = plan.rowH * 2;
    plan.colLevels = qMax(1, m->columnFields()->count() + (m->shownDataFieldCount() >= 2 ? 1 : 0));
    plan.rowLevelX.append(0);
    for (CubeField *rf : m->rowFields()->byPosition())
        plan.rowLevelX.append(plan.rowLevelX.last() + int(qMax(30.0f, rf->width()) * plan.scale));
    const int rowArea = plan.rowLevelX.last();
    const int nRows = m->rowCount(), nCols = m->columnCount();
    for (int c = 0; c < nCols; ++c) {
        CubeField *df = m->dataFieldOfColumn(c);
        plan.colW.append(int((df ? qMax(20.0f, df->width()) : 90.0f) * plan.scale));
    }
    const int bodyH = plan.page.height() - plan.headerH - plan.footerH - plan.colLevels * plan.rowH;
    const int perPage = qMax(1, bodyH / plan.rowH);
    for (int r = 0; r < nRows; r += perPage)
        plan.rowChunks.append({r, qMin(nRows, r + perPage) - 1});
    const int width = qMax(1, plan.page.width() - rowArea);
    for (int c = 0; c < nCols;) {
        int w = 0, e = c;
        while (e < nCols && (e == c || w + plan.colW[e] <= width))
            w += plan.colW[e++];
        plan.colChunks.append({c, e - 1});
        c = e;
    }
    return plan;
}

QString pageCaption(QString text, int page, int count)
{
    text.replace(QStringLiteral("&PP"), QString::number(count));
    text.replace(QStringLiteral("&P"), QString::number(page));
    return text;
}

} // namespace

int DCube::pageCount(QPrinter *printer)
{
    const PrintPlan plan = planPages(m_model, printer, m_model->style().font);
    return int(plan.rowChunks.size() * plan.colChunks.size());
}

bool DCube::print(QPrinter *printer)
{
    m_model->ensureLayout();
    const CubeStyle &st = m_model->style();
    const PrintPlan plan = planPages(m_model, printer, st.font);
    const int count = int(plan.rowChunks.size() * plan.colChunks.size());
    if (count == 0)
        return false;
    QPainter p;
    if (!p.begin(printer))
        return false;
    const QPen gridPen(cubeColor(st.gridColor), 0);
    int pageNo = 0;
    for (const auto &rc : plan.rowChunks) {
        for (const auto &cc : plan.colChunks) {
            if (pageNo > 0)
                printer->newPage();
            ++pageNo;
            p.setFont(st.font);
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, plan.page.width(), plan.headerH), Qt::AlignCenter,
                       pageCaption(m_model->headerCaption(), pageNo, count));
            p.drawText(QRect(0, plan.page.height() - plan.footerH, plan.page.width(), plan.footerH),
                       Qt::AlignCenter, pageCaption(m_model->footerCaption(), pageNo, count));
            const int top = plan.headerH;
            const int left = plan.rowLevelX.last();
            QVector<int> x(cc.second - cc.first + 2);
            x[0] = left;
            for (int c = cc.first; c <= cc.second; ++c)
                x[c - cc.first + 1] = x[c - cc.first] + plan.colW[c];
            // Column headings, repeated on every page.
            for (int l = 1; l <= plan.colLevels; ++l) {
                const int y = top + (l - 1) * plan.rowH;
                for (int c = cc.first; c <= cc.second;) {
                    const CubeHeading h = m_model->columnHeading(c, l);
                    int e = c;
                    while (e + 1 <= cc.second && !h.text.isEmpty()
                           && m_model->columnHeading(e + 1, l).text == h.text
                           && m_model->columnHeading(e + 1, l).item == h.item
                           && (l == 1
                               || m_model->columnHeading(e + 1, l - 1).text
                                      == m_model->columnHeading(c, l - 1).text))
                        ++e;
                    const QRect r(x[c - cc.first], y, x[e - cc.first + 1] - x[c - cc.first],
                                  plan.rowH);
                    p.fillRect(r, cubeColor(h.total ? st.totalsBackColor : st.headingsBackColor));
                    p.setPen(gridPen);
                    p.drawRect(r);
                    p.setPen(cubeColor(h.total ? st.totalsForeColor : st.headingsForeColor));
                    p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, h.text);
                    c = e + 1;
                }
            }
            const int body = top + plan.colLevels * plan.rowH;
            for (int r = rc.first; r <= rc.second; ++r) {
                const int y = body + (r - rc.first) * plan.rowH;
                for (int l = 1; l < plan.rowLevelX.size(); ++l) {
                    const CubeHeading h = m_model->rowHeading(r, l);
                    const QRect hr(plan.rowLevelX[l - 1], y,
                                   plan.rowLevelX[l] - plan.rowLevelX[l - 1], plan.rowH);
                    p.fillRect(hr, cubeColor(h.total ? st.totalsBackColor : st.headingsBackColor));
                    p.setPen(gridPen);
                    p.drawRect(hr);
                    const bool repeat = r > rc.first && m_model->rowHeading(r - 1, l).text == h.text
                                        && m_model->rowHeading(r - 1, l).item == h.item;
                    if (!repeat) {
                        p.setPen(cubeColor(h.total ? st.totalsForeColor : st.headingsForeColor));
                        p.drawText(hr.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                                   h.text);
                    }
                }
                for (int c = cc.first; c <= cc.second; ++c) {
                    const QRect cr(x[c - cc.first], y, plan.colW[c], plan.rowH);
                    const CubeCell cell = m_model->formatCell(r, c);
                    p.fillRect(cr, cubeColor(cell.backColor));
                    p.setPen(gridPen);
                    p.drawRect(cr);
                    if (!cell.empty) {
                        p.setPen(cubeColor(cell.foreColor));
                        p.drawText(cr.adjusted(3, 0, -4, 0), Qt::AlignVCenter | Qt::AlignRight,
                                   m_model->cellText(r, c));
                    }
                }
            }
        }
    }
    p.end();
    return true;
}

QPrintPreviewDialog *DCube::printPreview(QWidget *parent)
{
    auto *dialog = new QPrintPreviewDialog(parent ? parent : window());
    dialog->setObjectName(QStringLiteral("cubePrintPreview"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Print Preview"));
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, this,
                     [this](QPrinter *printer) { print(printer); });
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    return dialog;
}

} // namespace kq::platform
