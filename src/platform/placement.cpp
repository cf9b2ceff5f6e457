#include "platform/placement.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace kq::platform {

namespace {
QPointer<QWidget> g_mainWindow;

int clampStart(int start, int length, int areaStart, int areaLength)
{
    return qMax(areaStart, qMin(start, areaStart + areaLength - length));
}
} // namespace

QRect keptInside(const QRect &wanted, const QRect &available)
{
    if (available.isEmpty())
        return wanted;
    const QSize size = wanted.size().boundedTo(available.size());
    return QRect(QPoint(clampStart(wanted.x(), size.width(), available.x(), available.width()),
                        clampStart(wanted.y(), size.height(), available.y(), available.height())),
                 size);
}

QRect placedFrame(const QSize &frame, const QRect &anchor, const QRect &available)
{
    const QRect around = anchor.isEmpty() ? available : anchor;
    QRect r(QPoint(0, 0), frame.boundedTo(available.isEmpty() ? frame : available.size()));
    r.moveCenter(around.center());
    return keptInside(r, available);
}

void setMainWindow(QWidget *window)
{
    g_mainWindow = window;
}

QWidget *mainWindow()
{
    return g_mainWindow.data();
}

QWidget *openerWindow(const QWidget *except)
{
    auto usable = [except](QWidget *w) {
        return w && w->isVisible() && w->window() != except ? w->window() : nullptr;
    };
    if (QWidget *w = usable(QApplication::activeWindow()))
        return w;
    if (QWidget *w = usable(QApplication::activeModalWidget()))
        return w;
    return usable(g_mainWindow.data());
}

void placeWindow(QWidget *window, Placement placement)
{
    QWidget *opener = openerWindow(window);
    QWidget *anchor = nullptr;
    if (placement == Placement::Opener) {
        anchor = opener;
    } else if (placement == Placement::MainWindow) {
        QWidget *main = mainWindow();
        anchor = main && main != window && main->isVisible() ? main : opener;
    }
    QScreen *where = anchor ? anchor->screen() : window->screen();
    if (!where)
        where = QGuiApplication::primaryScreen();
    if (!where)
        return;
    const QRect available = where->availableGeometry();
    const QSize extra = frameAllowance(window);
    const QRect frame = placement == Placement::Own
                            ? keptInside(QRect(window->pos(), window->size() + extra), available)
                            : placedFrame(window->size() + extra,
                                          anchor ? anchor->frameGeometry() : QRect(), available);
    const QSize client = frame.size() - extra;
    if (client != window->size())
        window->resize(client);
    window->move(frame.topLeft());
}

namespace {
// Places its window at the first show it sees, then goes.
class FirstShow : public QObject
{
public:
    FirstShow(QWidget *window, Placement placement)
        : QObject(window)
        , m_placement(placement)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override
    {
        if (event->type() == QEvent::Show && obj == parent()) {
            placeWindow(static_cast<QWidget *>(obj), m_placement);
            obj->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    Placement m_placement;
};
} // namespace

void placeOnFirstShow(QWidget *window, Placement placement)
{
    new FirstShow(window, placement);
}

QSize frameAllowance(const QWidget *window)
{
    if (window->testAttribute(Qt::WA_WState_Created) && window->isVisible()) {
        const QRect frame = window->frameGeometry();
        return frame.size() - window->geometry().size();
    }
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return QSize(0, 0);
    // Not shown yet: a title bar and a thin border, as most window managers
    // draw; some draw the title bar taller than the style says.
    const int title = qMax(window->style()->pixelMetric(QStyle::PM_TitleBarHeight),
                           2 * window->fontMetrics().height() + 4);
    const int border = 2 * window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return QSize(border, title + border);
}

} // namespace kq::platform
