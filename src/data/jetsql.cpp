#include "data/jetsql.h"

#include "data/sourceshape_p.h"

#include <QDate>
#include <QRegularExpression>

namespace kq::data {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index just after the closing quote (a doubled quote stays inside).
qsizetype stringEnd(const QString &s, qsizetype from, QChar quote)
{
    qsizetype i = from + 1;
    while (i < s.size()) {
        if (s.at(i) == quote) {
            if (i + 1 < s.size() && s.at(i + 1) == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

QString unquote(const QString &literal, QChar quote)
{
    QString body
        = literal.mid(1, literal.size() >= 2 && literal.endsWith(quote) ? literal.size() - 2
                                                                        : literal.size() - 1);
    body.replace(QString(2, quote), QString(quote));
    return body;
}

QString singleQuoted(const QString &body)
{
    QString b = body;
    b.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + b + QLatin1Char('\'');
}

QString nextWord(const QString &s, qsizetype from)
{
    qsizetype i = from;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    while (i < s.size() && isWordChar(s.at(i)))
        ++i;
    return s.mid(start, i - start).toUpper();
}

// A Jet LIKE pattern as an SQLite one: * and ? become % and _; a literal %
// or _ (or a bracketed [*], [?], [#]) is escaped with "\" when the caller may
// add the ESCAPE clause.
QString likePattern(const QString &jet, bool mayEscape, bool *escaped)
{
    bool need = false;
    for (qsizetype j = 0; j < jet.size(); ++j) {
        const QChar ch = jet.at(j);
        if (ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            need = true;
        else if (ch == QLatin1Char('[') && j + 2 < jet.size() && jet.at(j + 2) == QLatin1Char(']')
                 && (jet.at(j + 1) == QLatin1Char('%') || jet.at(j + 1) == QLatin1Char('_')))
            need = true;
    }
    need = need && mayEscape;
    QString out;
    auto literal = [&](QChar ch) {
        if (need && (ch == QLatin1Char('%') || ch == QLatin1Char('_') || ch == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += ch;
    };
    for (qsizetype j = 0; j < jet.size(); ++j) {
        const QChar ch = jet.at(j);
        if (ch == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (ch == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (ch == QLatin1Char('[') && j + 2 < jet.size()
                   && jet.at(j + 2) == QLatin1Char(']')) {
            literal(jet.at(j + 1));
            j += 2;
        } else if (ch == QLatin1Char('%') || ch == QLatin1Char('_') || ch == QLatin1Char('\\')) {
            literal(ch);
        } else {
            out += ch;
        }
    }
    *escaped = need;
    return out;
}

// "#2026/03/01#" (also "#3/1/2026#", Jet's month-first form) as ISO text.
bool jetDate(const QString &inside, QString *iso)
{
    static const QRegularExpression ymd(QStringLiteral(
        R"(^\s*(\d{4})[/-](\d{1,2})[/-](\d{1,2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    static const QRegularExpression mdy(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    int y = 0, m = 0, d = 0;
    QRegularExpressionMatch match = ymd.match(inside);
    if (match.hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else {
        match = mdy.match(inside);
        if (!match.hasMatch())
            return false;
        m = match.captured(1).toInt();
        d = match.captured(2).toInt();
        y = match.captured(3).toInt();
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    *iso = date.toString(Qt::ISODate);
    const int hh = match.captured(4).toInt();
    const int mm = match.captured(5).toInt();
    const int ss = match.captured(6).toInt();
    if (hh || mm || ss) {
        if (hh > 23 || mm > 59 || ss > 59)
            return false;
        *iso += QStringLiteral(" %1:%2:%3")
                    .arg(hh, 2, 10, QLatin1Char('0'))
                    .arg(mm, 2, 10, QLatin1Char('0'))
                    .arg(ss, 2, 10, QLatin1Char('0'));
    }
    return true;
}

} // namespace

QStringList sqlListItems(const QString &list)
{
    QStringList items;
    QString item;
    int depth = 0;
    QChar quote;
    for (const QChar c : list) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            items << item.trimmed();
            item.clear();
            continue;
        }
        item += c;
    }
    if (!item.trimmed().isEmpty())
        items << item.trimmed();
    return items;
}

QString translateJet(const QString &jetSql)
{
    const QString &s = jetSql;
    QString out;
    out.reserve(s.size() + 16);
    QString lastWord; // the keyword or name just before, upper case
    enum class DatePart { None, Name, Interval } datePart = DatePart::None;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = stringEnd(s, i, c);
            const QString literal = s.mid(i, end - i);
            if (lastWord == QLatin1String("LIKE")) {
                const bool hasEscape = nextWord(s, end) == QLatin1String("ESCAPE");
                bool escaped = false;
                out += singleQuoted(likePattern(unquote(literal, c), !hasEscape, &escaped));
                if (escaped)
                    out += QLatin1String(" ESCAPE '\\'");
            } else if (datePart == DatePart::Interval) {
                out += singleQuoted(unquote(literal, c));
            } else {
                out += literal;
            }
            lastWord.clear();
            datePart = DatePart::None;
            i = end;
            continue;
        }
        if (c == QLatin1Char('[')) {
            qsizetype end = s.indexOf(QLatin1Char(']'), i);
            end = end < 0 ? s.size() : end + 1;
            out += s.mid(i, end - i);
            lastWord = QStringLiteral("[]");
            datePart = DatePart::None;
            i = end;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('-')) {
            qsizetype end = s.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? s.size() : end;
            out += s.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('*')) {
            qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? s.size() : end + 2;
            out += s.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const qsizetype close = s.indexOf(QLatin1Char('#'), i + 1);
            QString iso;
            if (close > i && close - i <= 40 && jetDate(s.mid(i + 1, close - i - 1), &iso)) {
                out += QLatin1Char('\'') + iso + QLatin1Char('\'');
                i = close + 1;
                lastWord.clear();
                datePart = DatePart::None;
                continue;
            }
        }
        if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < s.size() && isWordChar(s.at(i)))
                ++i;
            const QString word = s.mid(start, i - start);
            out += word;
            lastWord = word.toUpper();
            datePart = lastWord == QLatin1String("DATEPART") ? DatePart::Name : DatePart::None;
            continue;
        }
        out += c;
        ++i;
        if (c.isSpace())
            continue;
        lastWord.clear();
        datePart = (c == QLatin1Char('(') && datePart == DatePart::Name) ? DatePart::Interval
                                                                         : DatePart::None;
    }
    return internal::aliasJoinedColumns(out);
}

} // namespace kq::data
