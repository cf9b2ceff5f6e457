#pragma once

#include <QLineEdit>

namespace kq::platform {

// A box with an input mask of "#" digit places ("##/##/####", "####/##").
// text() keeps the literals and the "_" prompts, as the old control did:
// an empty date box reads "__/__/____". Entering a box that is full selects
// its text, so a typed value replaces the one shown.
class MaskEdBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskEdBox(QWidget *parent = nullptr);

    void setMask(const QString &mask);
    QString mask() const { return m_mask; }
    QString text() const;
    void setText(const QString &text);
    // The text without the prompt characters and literals.
    QString clipText() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool isFull() const;
    QString m_mask;
    bool m_selectOnPress = false;
};

} // namespace kq::platform
