#pragma once

#include <QLineEdit>

namespace kq::platform {

// A box with an input mask of "#" digit places ("##/##/####", "####/##").
// text() keeps the literals and the "_" prompts, as the old control did:
// an empty date box reads "__/__/____".
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

private:
    QString m_mask;
};

} // namespace kq::platform
