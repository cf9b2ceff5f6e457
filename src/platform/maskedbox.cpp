#include "platform/maskedbox.h"

namespace kq::platform {

MaskEdBox::MaskEdBox(QWidget *parent)
    : QLineEdit(parent)
{
}

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

} // namespace kq::platform
