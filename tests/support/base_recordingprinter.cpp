#include "support/base_recordingprinter.h"

#include <QPaintEngine>
#include <QPrintEngine>
#include <QTransform>
#include <algorithm>

namespace kq::test {

namespace {
constexpr int kResolution = 1200;
constexpr double kTolerance = 1.0; // device pixels at 1200 dpi
} // namespace

// Page properties and page count.
class RecordingPrinter::Engine : public QPrintEngine
{
public:
    QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter};
    QPrinter::PrinterState state = QPrinter::Idle;
    int pages = 0;

    bool newPage() override
    {
        ++pages;
        return true;
    }
    bool abort() override { return false; }
    QPrinter::PrinterState printerState() const override { return state; }

    void setProperty(PrintEnginePropertyKey key, const QVariant &value) override
    {
        switch (key) {
        case PPK_QPageLayout:
            layout = value.value<QPageLayout>();
            break;
        case PPK_QPageSize:
            layout.setPageSize(value.value<QPageSize>());
            break;
        case PPK_Orientation:
            layout.setOrientation(QPageLayout::Orientation(value.toInt()));
            break;
        case PPK_QPageMargins: {
            const auto margins = value.value<QPair<QMarginsF, QPageLayout::Unit>>();
            layout.setUnits(margins.second);
            layout.setMargins(margins.first);
            break;
        }
        case PPK_FullPage:
            layout.setMode(value.toBool() ? QPageLayout::FullPageMode : QPageLayout::StandardMode);
            break;
        default:
            break;
        }
    }

    QVariant property(PrintEnginePropertyKey key) const override
    {
        switch (key) {
        case PPK_QPageLayout:
            return QVariant::fromValue(layout);
        case PPK_QPageSize:
            return QVariant::fromValue(layout.pageSize());
        case PPK_Orientation:
            return int(layout.orientation());
        case PPK_Resolution:
            return kResolution;
        case PPK_FullPage:
            return layout.mode() == QPageLayout::FullPageMode;
        case PPK_PageRect:
            return layout.paintRectPixels(kResolution);
        case PPK_PaperRect:
            return layout.fullRectPixels(kResolution);
        case PPK_QPageMargins:
            return QVariant::fromValue(qMakePair(layout.margins(), layout.units()));
        case PPK_CopyCount:
            return 1;
        case PPK_SupportsMultipleCopies:
            return false;
        case PPK_OutputFileName:
            return QString();
        default:
            return QVariant();
        }
    }

    int metric(QPaintDevice::PaintDeviceMetric m) const override
    {
        const QRect paint = layout.paintRectPixels(kResolution);
        const QRectF mm = layout.paintRect(QPageLayout::Millimeter);
        switch (m) {
        case QPaintDevice::PdmWidth:
            return paint.width();
        case QPaintDevice::PdmHeight:
            return paint.height();
        case QPaintDevice::PdmWidthMM:
            return qRound(mm.width());
        case QPaintDevice::PdmHeightMM:
            return qRound(mm.height());
        case QPaintDevice::PdmNumColors:
            return INT_MAX;
        case QPaintDevice::PdmDepth:
            return 32;
        case QPaintDevice::PdmDpiX:
        case QPaintDevice::PdmDpiY:
        case QPaintDevice::PdmPhysicalDpiX:
        case QPaintDevice::PdmPhysicalDpiY:
            return kResolution;
        case QPaintDevice::PdmDevicePixelRatio:
            return 1;
        case QPaintDevice::PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }
};

// Records texts, rectangles and lines in device pixels.
class RecordingPrinter::PaintEngine : public QPaintEngine
{
public:
    explicit PaintEngine(Engine *engine)
        : QPaintEngine(AllFeatures)
        , m_engine(engine)
    {}

    QVector<PrintedText> texts;
    QVector<PrintedRect> rects;
    QVector<PrintedLine> lines;

    bool begin(QPaintDevice *) override
    {
        m_engine->state = QPrinter::Active;
        m_engine->pages = 1;
        return true;
    }
    bool end() override
    {
        m_engine->state = QPrinter::Idle;
        return true;
    }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
        if (state.state() & DirtyPen)
            m_pen = state.pen().style() != Qt::NoPen;
        if (state.state() & DirtyBrush)
            m_brush = state.brush().style() != Qt::NoBrush;
    }

    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        if (item.text().isEmpty())
            return;
        const QRectF box(p.x(), p.y() - item.ascent(), item.width(),
                         item.ascent() + item.descent());
        texts.append({m_engine->pages - 1, item.text(), item.font(), m_transform.mapRect(box)});
    }
    void drawRects(const QRectF *r, int count) override
    {
        for (int i = 0; i < count; ++i)
            rects.append({m_engine->pages - 1, m_transform.mapRect(r[i]), m_pen && !m_brush});
    }
    void drawRects(const QRect *r, int count) override
    {
        for (int i = 0; i < count; ++i)
            rects.append(
                {m_engine->pages - 1, m_transform.mapRect(QRectF(r[i])), m_pen && !m_brush});
    }
    void drawLines(const QLineF *l, int count) override
    {
        for (int i = 0; i < count; ++i)
            lines.append({m_engine->pages - 1, m_transform.map(l[i])});
    }
    void drawLines(const QLine *l, int count) override
    {
        for (int i = 0; i < count; ++i)
            lines.append({m_engine->pages - 1, m_transform.map(QLineF(l[i]))});
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawEllipse(const QRectF &) override {}
    void drawPoints(const QPointF *, int) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &,
                   Qt::ImageConversionFlags) override
    {}
    void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}

private:
    Engine *m_engine;
    QTransform m_transform;
    bool m_pen = true;
    bool m_brush = false;
};

RecordingPrinter::RecordingPrinter(QPageLayout::Orientation orientation)
    : QPrinter(QPrinter::HighResolution)
    , m_engine(std::make_unique<Engine>())
    , m_paint(std::make_unique<PaintEngine>(m_engine.get()))
{
    m_engine->layout.setOrientation(orientation);
    setEngines(m_engine.get(), m_paint.get());
}

RecordingPrinter::~RecordingPrinter() = default;

const QVector<PrintedText> &RecordingPrinter::texts() const
{
    return m_paint->texts;
}

const QVector<PrintedRect> &RecordingPrinter::rects() const
{
    return m_paint->rects;
}

const QVector<PrintedLine> &RecordingPrinter::lines() const
{
    return m_paint->lines;
}

int RecordingPrinter::pages() const
{
    return m_engine->pages;
}

QRectF RecordingPrinter::paintRect() const
{
    return QRectF(QPointF(0, 0), m_engine->layout.paintRectPixels(kResolution).size());
}

void RecordingPrinter::clear()
{
    m_paint->texts.clear();
    m_paint->rects.clear();
    m_paint->lines.clear();
    m_engine->pages = 0;
}

QVector<PrintedText> RecordingPrinter::joinedTexts() const
{
    QVector<PrintedText> runs = texts();
    std::stable_sort(runs.begin(), runs.end(), [](const PrintedText &a, const PrintedText &b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (std::abs(a.box.bottom() - b.box.bottom()) > kTolerance)
            return a.box.bottom() < b.box.bottom();
        return a.box.left() < b.box.left();
    });
    QVector<PrintedText> out;
    for (const PrintedText &run : runs) {
        if (!out.isEmpty()) {
            PrintedText &last = out.last();
            if (last.page == run.page
                && std::abs(last.box.bottom() - run.box.bottom()) <= kTolerance
                && std::abs(run.box.left() - last.box.right()) <= kTolerance) {
                last.text += run.text;
                last.box = last.box.united(run.box);
                continue;
            }
        }
        out.append(run);
    }
    return out;
}

QStringList RecordingPrinter::faults(double minPointSize) const
{
    QStringList out;
    const QVector<PrintedText> texts = joinedTexts();
    const QRectF page = paintRect().adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance);
    auto where = [](const PrintedText &t) {
        return QStringLiteral("\"%1\" (page %2, %3,%4 %5x%6)")
            .arg(t.text)
            .arg(t.page + 1)
            .arg(t.box.x(), 0, 'f', 0)
            .arg(t.box.y(), 0, 'f', 0)
            .arg(t.box.width(), 0, 'f', 0)
            .arg(t.box.height(), 0, 'f', 0);
    };
    for (int i = 0; i < texts.size(); ++i) {
        const PrintedText &t = texts[i];
        if (t.text.contains(QChar(0x2026)))
            out << QStringLiteral("elided: ") + where(t);
        if (t.font.pointSizeF() > 0 && t.font.pointSizeF() < minPointSize - 1e-6)
            out << QStringLiteral("font %1 pt: ").arg(t.font.pointSizeF()) + where(t);
        if (!page.contains(t.box))
            out << QStringLiteral("off the page: ") + where(t);
        // The smallest rectangle drawn around the text's start is its cell.
        const QPointF start(t.box.left() + kTolerance, t.box.center().y());
        const PrintedRect *cell = nullptr;
        for (const PrintedRect &r : rects()) {
            if (r.page == t.page && r.rect.contains(start)
                && (!cell
                    || r.rect.width() * r.rect.height() < cell->rect.width() * cell->rect.height()))
                cell = &r;
        }
        if (cell
            && !cell->rect.adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance)
                    .contains(t.box))
            out << QStringLiteral("leaves its cell %1,%2 %3x%4: ")
                           .arg(cell->rect.x(), 0, 'f', 0)
                           .arg(cell->rect.y(), 0, 'f', 0)
                           .arg(cell->rect.width(), 0, 'f', 0)
                           .arg(cell->rect.height(), 0, 'f', 0)
                       + where(t);
        for (int j = i + 1; j < texts.size(); ++j) {
            const PrintedText &u = texts[j];
            if (u.page != t.page)
                break;
            const QRectF both = t.box.intersected(u.box);
            if (both.width() > kTolerance && both.height() > kTolerance)
                out << QStringLiteral("overlap: ") + where(t) + QStringLiteral(" and ") + where(u);
        }
    }
    return out;
}

} // namespace kq::test
