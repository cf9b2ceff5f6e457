#include "core/selectionformula.h"

#include <QDate>
#include <QRegularExpression>

namespace kq::platform {

namespace {

class Parser
{
public:
    Parser(const QString &text, const FieldResolver &resolve)
        : m_s(text)
        , m_resolve(resolve)
    {}

    std::optional<SqlCondition> run(QString *error)
    {
        SqlCondition out;
        skipBlanks();
        if (m_pos < m_s.size()) {
            out.where = parseOr();
            skipBlanks();
            if (m_error.isEmpty() && m_pos < m_s.size())
                fail(QStringLiteral("texto inesperado"));
        }
        if (!m_error.isEmpty()) {
            if (error)
                *error = QStringLiteral("Fórmula de seleção inválida (posição %1): %2")
                             .arg(m_errorPos + 1)
                             .arg(m_error);
            return std::nullopt;
        }
        out.values = m_values;
        return out;
    }

private:
    void fail(const QString &why)
    {
        if (m_error.isEmpty()) {
            m_error = why;
            m_errorPos = int(m_pos);
        }
    }

    void skipBlanks()
    {
        while (m_pos < m_s.size() && m_s.at(m_pos).isSpace())
            ++m_pos;
    }

    // A keyword (AND, OR, NOT) standing alone at the cursor.
    bool keyword(const QString &word)
    {
        skipBlanks();
        const qsizetype end = m_pos + word.size();
        if (end > m_s.size() || m_s.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive))
            return false;
        if (end < m_s.size() && (m_s.at(end).isLetterOrNumber() || m_s.at(end) == u'_'))
            return false;
        m_pos = end;
        return true;
    }

    QString parseOr()
    {
        QString left = parseAnd();
        while (m_error.isEmpty() && keyword(QStringLiteral("OR")))
            left = left + QStringLiteral(" OR ") + parseAnd();
        return left;
    }

    QString parseAnd()
    {
        QString left = parseNot();
        while (m_error.isEmpty() && keyword(QStringLiteral("AND")))
            left = left + QStringLiteral(" AND ") + parseNot();
        return left;
    }

    QString parseNot()
    {
        if (keyword(QStringLiteral("NOT")))
            return QStringLiteral("NOT ") + parseNot();
        skipBlanks();
        if (m_pos < m_s.size() && m_s.at(m_pos) == u'(') {
            ++m_pos;
            const QString inner = parseOr();
            skipBlanks();
            if (m_pos >= m_s.size() || m_s.at(m_pos) != u')') {
                fail(QStringLiteral("falta \")\""));
                return QString();
            }
            ++m_pos;
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        return parseComparison();
    }

    QString parseComparison()
    {
        skipBlanks();
        static const QRegularExpression fieldRe(
            QStringLiteral("\\{\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*\\."
                           "\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*\\}"));
        const auto m = fieldRe.match(m_s, m_pos, QRegularExpression::NormalMatch,
                                     QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) {
            fail(QStringLiteral("esperado um campo {tabela.campo}"));
            return QString();
        }
        const QString column = m_resolve ? m_resolve(m.captured(1), m.captured(2)) : QString();
        if (column.isEmpty()) {
            fail(QStringLiteral("campo desconhecido {%1.%2}").arg(m.captured(1), m.captured(2)));
            return QString();
        }
        m_pos = m.capturedEnd();
        skipBlanks();
        QString op;
        for (const char *candidate : {"<>", "<=", ">=", "=", "<", ">"}) {
            const QString c = QString::fromLatin1(candidate);
            if (m_s.mid(m_pos, c.size()) == c) {
                op = c;
                break;
            }
        }
        if (op.isEmpty()) {
            fail(QStringLiteral("esperado um operador de comparação"));
            return QString();
        }
        m_pos += op.size();
        if (!parseLiteral())
            return QString();
        return column + QLatin1Char(' ') + op + QStringLiteral(" ?");
    }

    bool parseLiteral()
    {
        skipBlanks();
        if (m_pos >= m_s.size()) {
            fail(QStringLiteral("esperado um valor"));
            return false;
        }
        const QChar c = m_s.at(m_pos);
        if (c == u'#') {
            const qsizetype end = m_s.indexOf(u'#', m_pos + 1);
            const QDate d = end < 0
                                ? QDate()
                                : QDate::fromString(m_s.mid(m_pos + 1, end - m_pos - 1).trimmed(),
                                                    QStringLiteral("yyyy/M/d"));
            if (!d.isValid()) {
                fail(QStringLiteral("data inválida"));
                return false;
            }
            m_values << d;
            m_pos = end + 1;
            return true;
        }
        if (c == u'\'' || c == u'"') {
            QString text;
            qsizetype i = m_pos + 1;
            for (;;) {
                if (i >= m_s.size()) {
                    fail(QStringLiteral("texto sem fim"));
                    return false;
                }
                if (m_s.at(i) == c) {
                    if (i + 1 < m_s.size() && m_s.at(i + 1) == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += m_s.at(i++);
            }
            m_values << text;
            m_pos = i + 1;
            return true;
        }
        static const QRegularExpression numberRe(QStringLiteral("-?[0-9]+(\\.[0-9]+)?"));
        const auto m = numberRe.match(m_s, m_pos, QRegularExpression::NormalMatch,
                                      QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) {
            fail(QStringLiteral("valor inválido"));
            return false;
        }
        m_values << m.captured(0).toDouble();
        m_pos = m.capturedEnd();
        return true;
    }

    const QString m_s;
    const FieldResolver &m_resolve;
    qsizetype m_pos = 0;
    QVariantList m_values;
    QString m_error;
    int m_errorPos = 0;
};

} // namespace

QString formulaText(const QString &text)
{
    QString body = text;
    body.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + body + QLatin1Char('\'');
}

std::optional<SqlCondition> parseSelectionFormula(const QString &formula,
                                                  const FieldResolver &resolve, QString *error)
{
    return Parser(formula, resolve).run(error);
}

} // namespace kq::platform
