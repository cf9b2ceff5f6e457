#include "platform/textlimit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

namespace kq::platform {

namespace {

// Keeps the typed text of a line box within the limit.
class LimitValidator : public QValidator
{
public:
    LimitValidator(int limit, QObject *parent)
        : QValidator(parent)
        , m_limit(limit)
    {}
    int limit() const { return m_limit; }
    State validate(QString &input, int &pos) const override
    {
        if (input.size() > m_limit)
            input = fitTyped(input, &pos, m_limit);
        return Acceptable;
    }

private:
    int m_limit;
};

} // namespace

void setTextLimit(QLineEdit *box, int limit)
{
    // The box's own maximum would cut in the middle of a character.
    if (auto *old = dynamic_cast<const LimitValidator *>(box->validator()))
        delete old;
    box->setValidator(limit > 0 ? new LimitValidator(limit, box) : nullptr);
    if (limit > 0 && box->text().size() > limit)
        box->setText(cutText(box->text(), limit));
}

int textLimit(const QLineEdit *box)
{
    const auto *v = dynamic_cast<const LimitValidator *>(box->validator());
    return v ? v->limit() : 0;
}

void setTextLimit(QPlainTextEdit *box, int limit)
{
    QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, limit] {
        const QString text = box->toPlainText();
        if (text.size() <= limit)
            return;
        int cursor = box->textCursor().position();
        const QString kept = fitTyped(text, &cursor, limit);
        box->setPlainText(kept);
        QTextCursor c = box->textCursor();
        c.setPosition(cursor);
        box->setTextCursor(c);
    });
}

} // namespace kq::platform
