#include "platform/pageview.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>

namespace kq::platform {

namespace {
constexpr double kGap = 12; // pixels around the pages
} // namespace

PageView::PageView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(40);
}

void PageView::setPaper(const QSizeF &paper, const QPointF &printableCorner, int resolution)
{
    m_paper = paper.isEmpty() ? QSizeF(1, 1) : paper;
    m_corner = printableCorner;
    m_resolution = std::max(1, resolution);
    pagesChanged();
    viewport()->update();
}

void PageView::setPages(std::function<int()> count, std::function<void(QPainter &, int)> draw)
{
    m_count = std::move(count);
    m_draw = std::move(draw);
    pagesChanged();
    viewport()->update();
}

int PageView::pages() const
{
    return m_count ? m_count() : 0;
}

double PageView::zoom() const
{
    double z = (viewport()->width() - 2 * kGap) / m_paper.width();
    if (m_wholePage)
        z = std::min(z, (viewport()->height() - 2 * kGap) / m_paper.height());
    return std::max(0.002, z);
}

double PageView::pageStep() const
{
    return std::ceil(m_paper.height() * zoom()) + kGap;
}

void PageView::updateRange()
{
    const double total = kGap + pages() * pageStep();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, int(std::min(total - viewport()->height(), 2e9))));
}

int PageView::lastPageInSight() const
{
    return int((verticalScrollBar()->value() + viewport()->height()) / pageStep());
}

void PageView::pagesChanged(bool redrawAll)
{
    updateRange();
    if (redrawAll || lastPageInSight() >= m_shownPages - 1)
        viewport()->update();
    m_shownPages = pages();
}

void PageView::showPage(int page)
{
    verticalScrollBar()->setValue(int(std::max(0, page) * pageStep()));
}

void PageView::fitInView()
{
    m_wholePage = true;
    pagesChanged();
}

void PageView::fitToWidth()
{
    m_wholePage = false;
    pagesChanged();
}

void PageView::resizeEvent(QResizeEvent *event)
{
    // Keeps the same page in sight when the zoom changes.
    const double step = pageStep();
    QAbstractScrollArea::resizeEvent(event);
    const double page = step > 0 ? verticalScrollBar()->value() / step : 0;
    updateRange();
    verticalScrollBar()->setValue(int(page * pageStep()));
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(128, 128, 128));
    if (!m_draw)
        return;
    const double z = zoom();
    const QSize paper(int(std::ceil(m_paper.width() * z)), int(std::ceil(m_paper.height() * z)));
    const double step = pageStep();
    const double top = verticalScrollBar()->value();
    const int first = std::max(0, int((top - kGap) / step));
    const int last = std::min(pages() - 1, int((top + viewport()->height()) / step));
    for (int page = first; page <= last; ++page) {
        const QPoint corner((viewport()->width() - paper.width()) / 2,
                            int(kGap + page * step - top));
        // Drawn on an image that takes the printer's resolution, scaled
        // down, so that texts in points take the room they take on paper.
        const qreal ratio = devicePixelRatioF();
        QImage image(paper * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        const int dotsPerMeter = int(std::lround(m_resolution / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        {
            QPainter ip(&image);
            ip.setRenderHint(QPainter::Antialiasing);
            ip.setRenderHint(QPainter::TextAntialiasing);
            ip.scale(z, z);
            ip.translate(m_corner);
            m_draw(ip, page);
        }
        p.fillRect(QRect(corner + QPoint(3, 3), paper), QColor(90, 90, 90));
        p.drawImage(corner, image);
    }
}

} // namespace kq::platform
