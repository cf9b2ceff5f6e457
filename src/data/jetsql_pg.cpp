#include "data/jetsql.h"

#include "data/pgschema_p.h"

#include <QHash>
#include <QVector>

// The SQLite forms the program writes, as PostgreSQL takes them.

namespace kq::data {

namespace {

using internal::SchemaColumn;

struct Token
{
    enum Type { Space, Comment, String, Quoted, Bracket, Word, Number, Param, Punct };
    Type type;
    QString text;
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

QVector<Token> tokenize(const QString &s)
{
    QVector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto push = [&](Token::Type t, qsizetype end) {
        out.push_back({t, s.mid(i, end - i)});
        i = end;
    };
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && s.at(j).isSpace())
                ++j;
            push(Token::Space, j);
        } else if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == c) {
            const qsizetype e = s.indexOf(QLatin1Char('\n'), i);
            push(Token::Comment, e < 0 ? n : e);
        } else if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*')) {
            const qsizetype e = s.indexOf(QLatin1String("*/"), i + 2);
            push(Token::Comment, e < 0 ? n : e + 2);
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            push(c == QLatin1Char('\'') ? Token::String
                                        : (c == QLatin1Char('"') ? Token::Quoted : Token::Bracket),
                 qMin(j + 1, n));
        } else if (c == QLatin1Char('[')) {
            const qsizetype e = s.indexOf(QLatin1Char(']'), i);
            push(Token::Bracket, e < 0 ? n : e + 1);
        } else if (isWordStart(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(s.at(j)))
                ++j;
            push(Token::Word, j);
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s.at(i + 1).isDigit())) {
            qsizetype j = i;
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == QLatin1Char('.')))
                ++j;
            push(Token::Number, j);
        } else if (c == QLatin1Char('?')) {
            push(Token::Param, i + 1);
        } else {
            static const char *const pairs[] = {"==", "<>", "!=", "<=", ">=", "||"};
            qsizetype len = 1;
            for (const char *p : pairs) {
                if (s.mid(i, 2) == QLatin1String(p))
                    len = 2;
            }
            push(Token::Punct, i + len);
        }
    }
    return out;
}

bool isWord(const Token &t, const char *w)
{
    return t.type == Token::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, const char *p)
{
    return t.type == Token::Punct && t.text == QLatin1String(p);
}

bool significant(const Token &t)
{
    return t.type != Token::Space && t.type != Token::Comment;
}

qsizetype nextSignificant(const QVector<Token> &t, qsizetype from)
{
    for (qsizetype i = from; i < t.size(); ++i) {
        if (significant(t[i]))
            return i;
    }
    return -1;
}

qsizetype previousSignificant(const QVector<Token> &t, qsizetype from)
{
    for (qsizetype i = from; i >= 0; --i) {
        if (significant(t[i]))
            return i;
    }
    return -1;
}

QString unquoted(const Token &t)
{
    if (t.type == Token::Quoted
        || (t.type == Token::Bracket && t.text.startsWith(QLatin1Char('`')))) {
        const QChar q = t.text.at(0);
        QString body = t.text.mid(1, t.text.size() >= 2 ? t.text.size() - 2 : 0);
        body.replace(QString(2, q), QString(q));
        return body;
    }
    if (t.type == Token::Bracket)
        return t.text.mid(1, t.text.size() >= 2 ? t.text.size() - 2 : 0);
    return t.text;
}

// The text of a '...' literal, or the name of a "..." one.
QString textOf(const Token &t)
{
    if (t.type != Token::String)
        return unquoted(t);
    QString body = t.text.mid(1, t.text.size() >= 2 ? t.text.size() - 2 : 0);
    body.replace(QLatin1String("''"), QLatin1String("'"));
    return body;
}

bool isName(const Token &t)
{
    return t.type == Token::Word || t.type == Token::Quoted || t.type == Token::Bracket;
}

QString quotedName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString literal(const QString &text)
{
    QString b = text;
    b.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + b + QLatin1Char('\'');
}

// Where the parenthesis opened at `open` closes, and the tokens of each of
// its arguments (split at commas at its own depth).
qsizetype closing(const QVector<Token> &t, qsizetype open,
                  QVector<QPair<qsizetype, qsizetype>> *args)
{
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype i = open; i < t.size(); ++i) {
        if (isPunct(t[i], "(")) {
            ++depth;
        } else if (isPunct(t[i], ")")) {
            if (--depth == 0) {
                if (args)
                    args->push_back({start, i});
                return i;
            }
        } else if (depth == 1 && isPunct(t[i], ",") && args) {
            args->push_back({start, i});
            start = i + 1;
        }
    }
    return -1;
}

QString joined(const QVector<Token> &t, qsizetype from, qsizetype to)
{
    QString s;
    for (qsizetype i = from; i < to; ++i)
        s += t[i].text;
    return s;
}

// datepart(interval, date) for the server: the old intervals on EXTRACT.
QString datePart(const QString &interval, const QString &date)
{
    const QString ts = QStringLiteral("CAST(%1 AS timestamp)").arg(date);
    auto field = [&](const char *f) {
        return QStringLiteral("CAST(EXTRACT(%1 FROM %2) AS integer)").arg(QLatin1String(f), ts);
    };
    const QString i = interval.toLower();
    if (i == QLatin1String("yyyy"))
        return field("YEAR");
    if (i == QLatin1String("q"))
        return field("QUARTER");
    if (i == QLatin1String("m"))
        return field("MONTH");
    if (i == QLatin1String("y"))
        return field("DOY");
    if (i == QLatin1String("d"))
        return field("DAY");
    if (i == QLatin1String("w"))
        return QStringLiteral("(%1 + 1)").arg(field("DOW"));
    if (i == QLatin1String("ww"))
        // Week 1 is the week of 1 January; weeks begin on Sunday.
        return QStringLiteral("((%1 - 1 + CAST(EXTRACT(DOW FROM date_trunc('year', %2)) AS "
                              "integer)) / 7 + 1)")
            .arg(field("DOY"), ts);
    if (i == QLatin1String("h"))
        return field("HOUR");
    if (i == QLatin1String("n"))
        return field("MINUTE");
    if (i == QLatin1String("s"))
        return QStringLiteral("CAST(floor(EXTRACT(SECOND FROM %1)) AS integer)").arg(ts);
    return QString();
}

QString datePartAnyInterval(const QString &interval, const QString &date)
{
    static const char *const all[] = {"yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s"};
    QString s = QStringLiteral("CASE lower(%1)").arg(interval);
    for (const char *i : all)
        s += QStringLiteral(" WHEN '%1' THEN %2")
                 .arg(QLatin1String(i), datePart(QLatin1String(i), date));
    return s + QStringLiteral(" END");
}

QString collationFor(const QString &name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("PTBR") || n == QLatin1String("NOCASE"))
        return quotedName(internal::kServerCollation);
    if (n == QLatin1String("BINARY") || n == QLatin1String("RTRIM"))
        return QStringLiteral("\"C\"");
    return name;
}

// The last token of the operand that begins at `k`: a value, a name (with
// its table), a call or a parenthesis; -1 for anything else.
qsizetype operandEnd(const QVector<Token> &t, qsizetype k)
{
    if (k < 0)
        return -1;
    if (t[k].type == Token::String || t[k].type == Token::Param || t[k].type == Token::Number)
        return k;
    if (isPunct(t[k], "("))
        return closing(t, k, nullptr);
    if (!isName(t[k]))
        return -1;
    const qsizetype next = nextSignificant(t, k + 1);
    if (next >= 0 && isPunct(t[next], "("))
        return closing(t, next, nullptr);
    if (next >= 0 && isPunct(t[next], ".")) {
        const qsizetype column = nextSignificant(t, next + 1);
        return column >= 0 && isName(t[column]) ? column : -1;
    }
    return k;
}

// The server's Portuguese collation takes no pattern nor substring search;
// SQLite's LIKE and instr() ignore the column's collation anyway (LIKE
// folds only ASCII letters, as ILIKE under "C" does; instr() is binary).
const QString kPatternCollation = QStringLiteral(" COLLATE \"C\"");

QString toPostgres(const QString &sql)
{
    const QVector<Token> t = tokenize(sql);
    QStringList out;
    out.reserve(t.size());
    for (const Token &tok : t)
        out << tok.text;
    // Text written after a token (kept when a later rule rewrites the token).
    QVector<QString> after(t.size());

    // Aliases given with AS, as the server will know them.
    QHash<QString, QString> aliases;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (!isWord(t[i], "AS"))
            continue;
        const qsizetype j = nextSignificant(t, i + 1);
        if (j < 0 || !isName(t[j]))
            continue;
        const QString name = unquoted(t[j]);
        aliases.insert(name.toLower(),
                       t[j].type == Token::Word ? name.toLower() : quotedName(name));
    }

    for (qsizetype i = 0; i < t.size(); ++i) {
        const Token &tok = t[i];
        const qsizetype prev = previousSignificant(t, i - 1);
        if (tok.type == Token::Quoted || tok.type == Token::Bracket) {
            const QString name = unquoted(tok);
            if (prev >= 0 && isWord(t[prev], "AS") && tok.type == Token::Quoted)
                continue; // an alias, kept as written
            if (internal::isSchemaName(name))
                out[i] = quotedName(name.toLower());
            else if (aliases.contains(name.toLower()))
                out[i] = aliases.value(name.toLower());
            else if (tok.type == Token::Quoted)
                out[i] = literal(name); // SQLite's text between double quotes
            else
                out[i] = quotedName(name);
            continue;
        }
        if (tok.type == Token::Punct && tok.text == QLatin1String("==")) {
            out[i] = QStringLiteral("=");
            continue;
        }
        if (tok.type != Token::Word)
            continue;
        const qsizetype next = nextSignificant(t, i + 1);
        const bool call = next >= 0 && isPunct(t[next], "(");
        if (isWord(tok, "IS") && next >= 0) {
            // SQLite's IS and IS NOT compare any two values, Nulls included.
            const bool negated = isWord(t[next], "NOT");
            const qsizetype operand = negated ? nextSignificant(t, next + 1) : next;
            const bool plain = operand >= 0
                               && !(isWord(t[operand], "NULL") || isWord(t[operand], "TRUE")
                                    || isWord(t[operand], "FALSE") || isWord(t[operand], "DISTINCT")
                                    || isWord(t[operand], "UNKNOWN") || isWord(t[operand], "NOT"));
            if (plain) {
                out[i] = negated ? QStringLiteral("IS DISTINCT FROM ")
                                 : QStringLiteral("IS NOT DISTINCT FROM ");
                for (qsizetype j = i + 1; j < operand; ++j)
                    out[j].clear();
                i = operand - 1;
            }
            continue;
        }
        if (isWord(tok, "LIKE")) {
            out[i] = QStringLiteral("ILIKE");
            // An explicit collation on the pattern is the comparison's.
            const qsizetype pattern = operandEnd(t, next);
            if (pattern >= 0)
                after[pattern] += kPatternCollation;
            // A date or number column is compared as its text.
            qsizetype col = prev;
            if (col >= 0 && isWord(t[col], "NOT"))
                col = previousSignificant(t, col - 1);
            if (col >= 0 && isName(t[col])) {
                qsizetype start = col;
                const qsizetype dot = previousSignificant(t, col - 1);
                if (dot >= 0 && isPunct(t[dot], ".")) {
                    const qsizetype table = previousSignificant(t, dot - 1);
                    if (table >= 0 && isName(t[table]))
                        start = table;
                }
                if (internal::columnKind(unquoted(t[col])) != SchemaColumn::Kind::Text) {
                    out[start] = QStringLiteral("CAST(") + out[start];
                    out[col] += QStringLiteral(" AS text)");
                }
            }
        } else if (isWord(tok, "COLLATE") && next >= 0 && isName(t[next])) {
            out[next] = collationFor(unquoted(t[next]));
            i = next;
        } else if (call && isWord(tok, "ifnull")) {
            out[i] = QStringLiteral("coalesce");
        } else if (call && isWord(tok, "instr")) {
            out[i] = QStringLiteral("strpos");
            QVector<QPair<qsizetype, qsizetype>> args;
            if (closing(t, next, &args) >= 0 && args.size() == 2 && args[0].second > args[0].first)
                after[args[0].second - 1] += kPatternCollation;
        } else if (isWord(tok, "REAL") && prev >= 0 && isWord(t[prev], "AS")) {
            out[i] = QStringLiteral("double precision");
        } else if (call && isWord(tok, "datepart")) {
            QVector<QPair<qsizetype, qsizetype>> args;
            const qsizetype close = closing(t, next, &args);
            if (close < 0 || args.size() != 2)
                continue;
            const QString date = toPostgres(joined(t, args[1].first, args[1].second)).trimmed();
            const qsizetype k = nextSignificant(t, args[0].first);
            const bool literalInterval
                = k >= 0 && k < args[0].second
                  && (t[k].type == Token::String || t[k].type == Token::Quoted)
                  && nextSignificant(t, k + 1) == args[0].second;
            QString expr;
            if (literalInterval)
                expr = datePart(textOf(t[k]), date);
            if (expr.isEmpty())
                expr = datePartAnyInterval(
                    toPostgres(joined(t, args[0].first, args[0].second)).trimmed(), date);
            out[i] = expr;
            for (qsizetype j = i + 1; j <= close; ++j)
                out[j].clear();
            i = close;
        }
    }
    QString text;
    for (qsizetype i = 0; i < t.size(); ++i)
        text += out[i] + after[i];
    return text;
}

} // namespace

QString toDialect(const QString &sqliteSql, Dialect dialect)
{
    if (dialect == Dialect::Sqlite)
        return sqliteSql;
    return toPostgres(sqliteSql);
}

QString translateJet(const QString &jetSql, Dialect dialect)
{
    return toDialect(translateJet(jetSql), dialect);
}

} // namespace kq::data
