#include "core/textcut.h"

#include <QTextBoundaryFinder>

namespace kq::platform {

QString cutText(const QString &text, int limit)
{
    if (limit <= 0)
        return QString();
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(limit);
    if (!graphemes.isAtBoundary())
        graphemes.toPreviousBoundary();
    const qsizetype end = qMax<qsizetype>(graphemes.position(), 0);
    return text.left(end);
}

QString fitTyped(const QString &text, int *cursor, int limit)
{
    const int pos = qBound(0, *cursor, int(text.size()));
    if (text.size() <= limit) {
        *cursor = pos;
        return text;
    }
    const QString tail = text.mid(pos);
    if (tail.size() > limit) {
        const QString kept = cutText(text, limit);
        *cursor = int(kept.size());
        return kept;
    }
    const QString head = cutText(text.left(pos), limit - int(tail.size()));
    *cursor = int(head.size());
    return head + tail;
}

} // namespace kq::platform
