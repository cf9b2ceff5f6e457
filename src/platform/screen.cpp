#include "platform/screen.h"

#include "platform/gradient.h"
#include "platform/placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kq::platform {

namespace {

bool isTab(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
           && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// Tab and Shift+Tab leave a multi-line box for the next or previous control,
// as they leave a one-line box, instead of typing a tab character.
void passTabOn(QWidget *w)
{
    if (auto *text = qobject_cast<QTextEdit *>(w))
        text->setTabChangesFocus(true);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->setTabChangesFocus(true);
}

// Sends every key press to the screen that holds the focused control first,
// as a form with key preview did.
class KeyPreviewFilter : public QObject
{
protected:
    bool eventFilter(QObject *obj, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *w = qobject_cast<QWidget *>(obj);
        if (!w || !w->isWidgetType())
            return false;
        // Only where the key starts (the focused control), so it is seen once.
        QWidget *focus = QApplication::focusWidget();
        if (focus ? w != focus : w != w->window())
            return false;
        auto *screen = qobject_cast<Screen *>(w->window());
        if (!screen)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (isTab(key))
            passTabOn(w);
        return screen->previewKey(key);
    }
};

void installKeyPreview()
{
    static KeyPreviewFilter *filter = nullptr;
    if (!filter && qApp) {
        filter = new KeyPreviewFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}

} // namespace

Screen::Screen(const QString &name, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, true);
    installKeyPreview();
}

void Screen::setGradient(bool on, int r, int g, int b, bool invertido, float passo)
{
    m_gradient = on;
    m_r = r;
    m_g = g;
    m_b = b;
    m_invertido = invertido;
    m_passo = passo;
    update();
}

void Screen::setTwipsSize(int width, int height)
{
    resize(twipsToPixels(width), twipsToPixels(height));
}

void Screen::setModalResult(int result)
{
    setProperty("modalResult", result);
}

void Screen::setDialogKeys(QAbstractButton *enter, QAbstractButton *escape, bool focusedFirst)
{
    m_enterButton = enter;
    m_escapeButton = escape;
    m_focusedFirst = focusedFirst;
}

bool Screen::previewKey(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (m_escapeButton && event->key() == Qt::Key_Escape) {
        m_escapeButton->click();
        return true;
    }
    if (m_enterButton && enter) {
        auto *focused = m_focusedFirst ? qobject_cast<QPushButton *>(focusWidget()) : nullptr;
        (focused ? focused : m_enterButton)->click();
        return true;
    }
    if (m_escCloses && event->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    // Whatever has the focus, a button or a several-line box included: a
    // button is pressed with Space or its mnemonic.
    if (m_enterAsTab && enter) {
        focusNextChild();
        return true;
    }
    return false;
}

void Screen::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_gradient)
        return;
    QPainter painter(this);
    paintGradient(painter, size(), m_r, m_g, m_b, m_invertido, m_passo);
}

void Screen::showEvent(QShowEvent *event)
{
    // Placed once, before the window is mapped; later shows keep where the
    // user left it.
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        placeWindow(this, m_placement);
    }
    QWidget::showEvent(event);
}

void Screen::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit unloaded();
}

} // namespace kq::platform
