#include "collection/rules/chequereader.h"

#include "core/textcut.h"

namespace kq::collection {

namespace {
// Index just after the character that starts at i (a surrogate pair is one).
qsizetype nextChar(const QString &line, qsizetype i)
{
    return i
           + (line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()
                  ? 2
                  : 1);
}

// Mid(line, start, count) with positions from 1 that count characters (a
// pair of surrogates is one, never cut in two), kept to the box's limit.
QString part(const QString &line, int start, int count, int limit)
{
    qsizetype from = 0;
    for (int pos = 1; pos < start && from < line.size(); ++pos)
        from = nextChar(line, from);
    qsizetype to = from;
    for (int n = 0; n < count && to < line.size(); ++n)
        to = nextChar(line, to);
    return kq::platform::cutText(line.mid(from, to - from), limit);
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
