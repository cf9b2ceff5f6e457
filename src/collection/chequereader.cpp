#include "collection/chequereader.h"

#include "platform/textlimit.h"

namespace kq::collection {

namespace {
// Mid(line, start, count) with positions from 1, kept to the box's limit.
QString part(const QString &line, int start, int count, int limit)
{
    return kq::platform::cutText(line.mid(start - 1, count), limit);
}
} // namespace

ReaderLine cutReaderLine(const QString &line)
{
    ReaderLine r;
    r.banco = part(line, 2, 4, 3);
    r.agencia = part(line, 5, 4, 5);
    r.cheque = part(line, 14, 6, 15);
    r.conta = part(line, 26, 7, 12);
    return r;
}

QString accountKey(const QString &banco, const QString &agencia, const QString &conta)
{
    return banco + agencia + conta;
}

} // namespace kq::collection
