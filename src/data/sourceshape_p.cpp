#include "data/sourceshape_p.h"

namespace kq::data::internal {

namespace {

struct Token
{
    enum Type { Word, Name, String, Punct };
    Type type;
    QString text;
    qsizetype end;
    int depth;
};

QVector<Token> tokenize(const QString &s)
{
    QVector<Token> tokens;
    int depth = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('-')) {
            const qsizetype e = s.indexOf(QLatin1Char('\n'), i);
            i = e < 0 ? s.size() : e;
        } else if (c == QLatin1Char('/') && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('*')) {
            const qsizetype e = s.indexOf(QLatin1String("*/"), i + 2);
            i = e < 0 ? s.size() : e + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')
                   || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            qsizetype j = i + 1;
            while (j < s.size()) {
                if (s.at(j) == close) {
                    if (close != QLatin1Char(']') && j + 1 < s.size() && s.at(j + 1) == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = qMin(j + 1, s.size());
            tokens.push_back({c == QLatin1Char('\'') ? Token::String : Token::Name,
                              s.mid(i, end - i), end, depth});
            i = end;
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$')) {
            qsizetype j = i;
            while (j < s.size()
                   && (s.at(j).isLetterOrNumber() || s.at(j) == QLatin1Char('_')
                       || s.at(j) == QLatin1Char('$')))
                ++j;
            tokens.push_back({Token::Word, s.mid(i, j - i), j, depth});
            i = j;
        } else {
            if (c == QLatin1Char(')'))
                --depth;
            tokens.push_back({Token::Punct, QString(c), i + 1, depth});
            if (c == QLatin1Char('('))
                ++depth;
            ++i;
        }
    }
    return tokens;
}

bool isWord(const Token &t, const char *word)
{
    return t.type == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, char c)
{
    return t.type == Token::Punct && t.text.at(0) == QLatin1Char(c);
}

bool endsFromClause(const Token &t)
{
    static const char *const words[]
        = {"WHERE", "GROUP", "ORDER", "HAVING", "LIMIT", "UNION", "EXCEPT", "INTERSECT", "WINDOW"};
    if (t.depth != 0)
        return false;
    if (isPunct(t, ';'))
        return true;
    for (const char *w : words) {
        if (isWord(t, w))
            return true;
    }
    return false;
}

bool isJoinWord(const Token &t)
{
    static const char *const words[]
        = {"ON",    "USING", "INNER",   "LEFT",      "RIGHT",  "FULL",    "OUTER",
           "CROSS", "JOIN",  "NATURAL", "WHERE",     "GROUP",  "ORDER",   "HAVING",
           "LIMIT", "UNION", "EXCEPT",  "INTERSECT", "WINDOW", "INDEXED", "NOT"};
    for (const char *w : words) {
        if (isWord(t, w))
            return true;
    }
    return false;
}

// The terms of the statement's own ORDER BY (top level) as plain columns.
void readOrder(const QVector<Token> &t, SourceShape &shape)
{
    qsizetype i = -1;
    for (qsizetype k = 0; k + 1 < t.size(); ++k) {
        if (t[k].depth == 0 && isWord(t[k], "ORDER") && isWord(t[k + 1], "BY"))
            i = k + 2;
        if (t[k].depth == 0 && (isWord(t[k], "LIMIT") || isWord(t[k], "OFFSET")))
            shape.orderKnown = false;
    }
    if (i < 0)
        return;
    auto name = [&](qsizetype k) {
        return k < t.size() && (t[k].type == Token::Word || t[k].type == Token::Name);
    };
    while (i < t.size() && !isPunct(t[i], ';')) {
        OrderTerm term;
        bool ok = false;
        if (t[i].type == Token::Word && t[i].text.at(0).isDigit()) {
            term.position = t[i].text.toInt(&ok);
            ++i;
        } else if (name(i)) {
            term.column = unquoteName(t[i].text);
            ok = true;
            ++i;
            if (i + 1 < t.size() && isPunct(t[i], '.') && name(i + 1)) {
                term.table = term.column;
                term.column = unquoteName(t[i + 1].text);
                i += 2;
            }
        }
        if (ok && i + 1 < t.size() && isWord(t[i], "COLLATE") && name(i + 1)) {
            term.collation = unquoteName(t[i + 1].text);
            i += 2;
        }
        if (ok && i < t.size() && (isWord(t[i], "ASC") || isWord(t[i], "DESC"))) {
            term.descending = isWord(t[i], "DESC");
            ++i;
        }
        if (!ok || (i < t.size() && !isPunct(t[i], ',') && !isPunct(t[i], ';'))) {
            shape.orderKnown = false; // an expression, NULLS FIRST, ...
            shape.order.clear();
            return;
        }
        shape.order.push_back(term);
        if (i < t.size() && isPunct(t[i], ','))
            ++i;
    }
}

} // namespace

QString unquoteName(const QString &raw)
{
    if (raw.size() >= 2
        && (raw.startsWith(QLatin1Char('"')) || raw.startsWith(QLatin1Char('['))
            || raw.startsWith(QLatin1Char('`'))))
        return raw.mid(1, raw.size() - 2);
    return raw;
}

SourceShape shapeOf(const QString &sql)
{
    SourceShape shape;
    const QVector<Token> t = tokenize(sql);
    if (t.isEmpty() || !isWord(t[0], "SELECT"))
        return shape;
    qsizetype k = 1;
    bool plain = true;
    if (k < t.size() && (isWord(t[k], "DISTINCT")))
        plain = false;
    if (k < t.size() && isWord(t[k], "ALL"))
        ++k;
    const qsizetype selectEnd = t[k - 1].end;
    qsizetype from = -1;
    for (qsizetype i = 1; i < t.size(); ++i) {
        if (t[i].depth != 0)
            continue;
        if (from < 0 && isWord(t[i], "FROM"))
            from = i;
        if (isWord(t[i], "GROUP") || isWord(t[i], "UNION") || isWord(t[i], "EXCEPT")
            || isWord(t[i], "INTERSECT"))
            plain = false;
    }
    if (from < 0)
        return shape;
    bool expectTable = true;
    bool inCondition = false; // inside ON ...: parentheses and commas are an expression's
    int conditionDepth = 0;
    for (qsizetype i = from + 1; i < t.size() && !endsFromClause(t[i]); ++i) {
        const Token &tok = t[i];
        if (isWord(tok, "ON") || isWord(tok, "USING")) {
            inCondition = true;
            conditionDepth = tok.depth;
            expectTable = false;
            continue;
        }
        if (inCondition) {
            if (isWord(tok, "JOIN")) {
                inCondition = false;
                expectTable = true;
            } else if (isPunct(tok, ')') && tok.depth < conditionDepth) {
                inCondition = false;
            }
            continue;
        }
        if (isPunct(tok, '(')) {
            if (i + 1 < t.size() && (isWord(t[i + 1], "SELECT") || isWord(t[i + 1], "WITH"))) {
                // A sub-query: its tables are not the source's own.
                const int depth = tok.depth;
                ++i;
                while (i < t.size() && !(isPunct(t[i], ')') && t[i].depth == depth))
                    ++i;
                plain = false;
                expectTable = false;
                continue;
            }
            expectTable = true;
            continue;
        }
        if (isPunct(tok, ',') || isWord(tok, "JOIN")) {
            expectTable = true;
            continue;
        }
        if (expectTable && (tok.type == Token::Word || tok.type == Token::Name)
            && !isJoinWord(tok)) {
            QString raw = tok.text;
            QString name = unquoteName(raw);
            if (i + 2 < t.size() && isPunct(t[i + 1], '.')
                && (t[i + 2].type == Token::Word || t[i + 2].type == Token::Name)) {
                raw += QLatin1Char('.') + t[i + 2].text;
                name = unquoteName(t[i + 2].text);
                i += 2;
            }
            QString ref = raw;
            if (i + 1 < t.size() && isWord(t[i + 1], "AS") && i + 2 < t.size()) {
                ref = t[i + 2].text;
                i += 2;
            } else if (i + 1 < t.size()
                       && (t[i + 1].type == Token::Word || t[i + 1].type == Token::Name)
                       && !isJoinWord(t[i + 1])) {
                ref = t[i + 1].text;
                i += 1;
            }
            shape.tables.push_back({name, ref});
            expectTable = false;
            continue;
        }
        expectTable = false;
    }
    if (plain)
        shape.selectEnd = selectEnd;
    readOrder(t, shape);
    return shape;
}

QString aliasJoinedColumns(const QString &sql)
{
    const QVector<Token> t = tokenize(sql);
    if (t.isEmpty() || !isWord(t[0], "SELECT"))
        return sql;
    qsizetype from = -1;
    for (qsizetype i = 1; i < t.size() && from < 0; ++i) {
        if (t[i].depth == 0 && isWord(t[i], "FROM"))
            from = i;
    }
    if (from < 0)
        return sql;
    bool nested = false;
    for (qsizetype i = from + 1; i < t.size() && !endsFromClause(t[i]); ++i) {
        if (isPunct(t[i], '(') && !(i + 1 < t.size() && isWord(t[i + 1], "SELECT")))
            nested = true;
    }
    if (!nested)
        return sql;
    qsizetype first = 1;
    if (first < from && (isWord(t[first], "DISTINCT") || isWord(t[first], "ALL")))
        ++first;
    QVector<QPair<qsizetype, QString>> inserts;
    qsizetype start = first;
    for (qsizetype i = first; i <= from; ++i) {
        if (i < from && !(t[i].depth == 0 && isPunct(t[i], ',')))
            continue;
        const bool name = [&](qsizetype k) {
            return t[k].type == Token::Word || t[k].type == Token::Name;
        }(start);
        if (i - start == 3 && name && isPunct(t[start + 1], '.')
            && (t[start + 2].type == Token::Word || t[start + 2].type == Token::Name))
            inserts.push_back({t[start + 2].end, QStringLiteral(" AS ") + t[start + 2].text});
        start = i + 1;
    }
    QString out = sql;
    for (qsizetype k = inserts.size() - 1; k >= 0; --k)
        out.insert(inserts[k].first, inserts[k].second);
    return out;
}

} // namespace kq::data::internal
