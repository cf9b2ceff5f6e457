#pragma once

#include "platform/placement.h"
#include "platform/trappedconnect.h"

#include <QWidget>

class QAbstractButton;
class QKeyEvent;

namespace kq::platform {

// Base of every screen: key preview (Esc closes, Enter as Tab where asked),
// the gradient background, twips geometry, unload on close.
class Screen : public QWidget
{
    Q_OBJECT
public:
    explicit Screen(const QString &name, QWidget *parent = nullptr);

    void setEscCloses(bool on) { m_escCloses = on; }
    bool escCloses() const { return m_escCloses; }
    void setEnterAsTab(bool on) { m_enterAsTab = on; }
    bool enterAsTab() const { return m_enterAsTab; }

    // The keys of a small dialog, before the two options above: Enter
    // presses `enter` (or, with focusedFirst, the push button that has the
    // focus), Esc presses `escape`. A null button leaves its key alone.
    void setDialogKeys(QAbstractButton *enter, QAbstractButton *escape, bool focusedFirst = false);

    // Paint the 63-band background on every paint (red 0, green 255, blue 255,
    // bottom-up, step 5 unless set otherwise).
    void setGradient(bool on, int r = 0, int g = 255, int b = 255, bool invertido = false,
                     float passo = 5);
    bool hasGradient() const { return m_gradient; }

    // Where the screen opens the first time it is shown: centred on the main
    // window (the default), centred on the window that opened it (dialogs),
    // or where it put itself. It is always kept inside the available area of
    // its screen, its starting size cut down to fit.
    using Placement = kq::platform::Placement;
    void setPlacement(Placement placement) { m_placement = placement; }
    Placement placement() const { return m_placement; }

    void setTwipsSize(int width, int height);

    // Result read by ScreenRegistry::showModal.
    void setModalResult(int result);

    // Connects a control's signal to a handler of this screen (a member
    // function or a callable) under the error trap: a failure is reported as
    // this screen's and the screen goes on.
    template<class Sender, class Signal, class Handler>
    QMetaObject::Connection connectTrapped(const Sender *sender, Signal signal, Handler handler)
    {
        return kq::platform::connectTrapped(sender, signal, this, objectName(), std::move(handler));
    }

    // Called with every key pressed anywhere on the screen before the focused
    // control sees it; return true to swallow the key. The default handles
    // Esc and Enter as set above.
    virtual bool previewKey(QKeyEvent *event);

signals:
    void unloaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Placement m_placement = Placement::MainWindow;
    bool m_placed = false;
    QAbstractButton *m_enterButton = nullptr;
    QAbstractButton *m_escapeButton = nullptr;
    bool m_focusedFirst = false;
    bool m_escCloses = false;
    bool m_enterAsTab = false;
    bool m_gradient = false;
    int m_r = 0;
    int m_g = 255;
    int m_b = 255;
    bool m_invertido = false;
    float m_passo = 5;
};

} // namespace kq::platform
