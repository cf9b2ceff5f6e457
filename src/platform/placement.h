#pragma once

#include <QRect>

class QWidget;

namespace kq::platform {

// How a window is placed when first shown: centred on the main window, on
// the window that opened it (dialogs), or kept where it put itself; always
// inside the available area of its screen, its size cut down to fit.
enum class Placement { MainWindow, Opener, Own };

// Places a top-level window that is about to be shown for the first time.
void placeWindow(QWidget *window, Placement placement);
// Places a window that is not a Screen the first time it is shown.
void placeOnFirstShow(QWidget *window, Placement placement = Placement::MainWindow);

// Where a window opens: its frame centred on `anchor` (an empty anchor: on
// `available`), shrunk to the available area when larger and moved inside it.
QRect placedFrame(const QSize &frame, const QRect &anchor, const QRect &available);

// The frame a window keeps at `wanted` (its own position) moved and shrunk
// to lie inside `available`.
QRect keptInside(const QRect &wanted, const QRect &available);

// The window that screens open centred on (the program's main window).
void setMainWindow(QWidget *window);
QWidget *mainWindow();

// The window a new window or dialog belongs to: the active one, else the
// application's modal one, else the visible main window; nullptr when none.
QWidget *openerWindow(const QWidget *except = nullptr);

// The room a window manager's frame takes around a window not yet shown
// (width and height to add to the client size).
QSize frameAllowance(const QWidget *window);

} // namespace kq::platform
