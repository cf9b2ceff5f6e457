#include "platform/maskedbox.h"

#include <QFocusEvent>

namespace kq::platform {

MaskEdBox::MaskEdBox(QWidget *parent)
    : QLineEdit(parent)
{}

void MaskEdBox::setMask(const QString &mask)
{
    m_mask = mask;
    QString qtMask;
    for (QChar c : mask) {
        if (c == QLatin1Char('#'))
            qtMask += QLatin1Char('0');
        else if (QStringLiteral("09AaNnXx<>!\\;[]{}").contains(c))
            qtMask += QLatin1Char('\\') + c;
        else
            qtMask += c;
    }
    setInputMask(mask.isEmpty() ? QString() : qtMask + QStringLiteral(";_"));
}

QString MaskEdBox::text() const
{
    if (m_mask.isEmpty())
        return QLineEdit::text();
    return displayText();
}

void MaskEdBox::setText(const QString &text)
{
    if (m_mask.isEmpty()) {
        QLineEdit::setText(text);
        return;
    }
    // Accept either the full text with literals or only the digits.
    QString digits;
    for (QChar c : text)
        if (c.isDigit())
            digits += c;
    QLineEdit::setText(digits);
}

QString MaskEdBox::clipText() const
{
    QString out;
    const QString t = text();
    for (int i = 0; i < t.size() && i < m_mask.size(); ++i)
        if (m_mask.at(i) == QLatin1Char('#') && t.at(i) != QLatin1Char('_'))
            out += t.at(i);
    return m_mask.isEmpty() ? t : out;
}

bool MaskEdBox::isFull() const
{
    return !m_mask.isEmpty() && !displayText().contains(QLatin1Char('_'));
}

void MaskEdBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Qt would put the cursor after the last place, where nothing can be typed.
    if (!isFull())
        return;
    if (event->reason() == Qt::MouseFocusReason)
        m_selectOnPress = true; // the press that follows would drop a selection made now
    else if (event->reason() != Qt::PopupFocusReason
             && event->reason() != Qt::ActiveWindowFocusReason)
        selectAll();
}

void MaskEdBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_selectOnPress) {
        m_selectOnPress = false;
        selectAll();
    }
}

} // namespace kq::platform
