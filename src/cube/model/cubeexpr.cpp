#include "cube/model/cubeexpr.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace kq::platform {

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}

bool CubeExpr::parse(const QString &text, QString *error)
{
    m_nodes.clear();
    m_text = text;
    m_pos = 0;
    m_failed = false;
    m_root = parseSum();
    skipBlanks();
    if (m_failed || m_root < 0 || m_pos != m_text.size()) {
        if (error)
            *error = QStringLiteral("Expressão inválida: %1").arg(text);
        m_nodes.clear();
        m_root = -1;
        return false;
    }
    return true;
}

QStringList CubeExpr::names() const
{
    QStringList out;
    for (const Node &n : m_nodes) {
        if (n.op == 'v' && !out.contains(n.name, Qt::CaseInsensitive))
            out.append(n.name);
    }
    return out;
}

double CubeExpr::evaluate(const std::function<double(const QString &)> &lookup) const
{
    return m_root < 0 ? kNaN : eval(m_root, lookup);
}

void CubeExpr::skipBlanks()
{
    while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
        ++m_pos;
}

int CubeExpr::add(const Node &n)
{
    m_nodes.append(n);
    return int(m_nodes.size()) - 1;
}

int CubeExpr::parseSum()
{
    int left = parseProduct();
    for (;;) {
        skipBlanks();
        if (m_failed || m_pos >= m_text.size())
            return left;
        const QChar c = m_text.at(m_pos);
        if (c != u'+' && c != u'-')
            return left;
        ++m_pos;
        Node n;
        n.op = char(c.unicode());
        n.a = left;
        n.b = parseProduct();
        left = add(n);
    }
}

int CubeExpr::parseProduct()
{
    int left = parseUnary();
    for (;;) {
        skipBlanks();
        if (m_failed || m_pos >= m_text.size())
            return left;
        const QChar c = m_text.at(m_pos);
        if (c != u'*' && c != u'/')
            return left;
        ++m_pos;
        Node n;
        n.op = char(c.unicode());
        n.a = left;
        n.b = parseUnary();
        left = add(n);
    }
}

int CubeExpr::parseUnary()
{
    skipBlanks();
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'-') {
        ++m_pos;
        Node n;
        n.op = 'u';
        n.a = parseUnary();
        return add(n);
    }
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'+') {
        ++m_pos;
        return parseUnary();
    }
    return parsePrimary();
}

int CubeExpr::parsePrimary()
{
    skipBlanks();
    if (m_pos >= m_text.size()) {
        m_failed = true;
        return -1;
    }
    const QChar c = m_text.at(m_pos);
    if (c == u'(') {
        ++m_pos;
        const int inner = parseSum();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text.at(m_pos) != u')') {
            m_failed = true;
            return -1;
        }
        ++m_pos;
        return inner;
    }
    if (c.isDigit() || c == u'.') {
        const int start = m_pos;
        while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == u'.'))
            ++m_pos;
        bool ok = false;
        Node n;
        n.op = 'n';
        n.number = m_text.mid(start, m_pos - start).toDouble(&ok);
        if (!ok) {
            m_failed = true;
            return -1;
        }
        return add(n);
    }
    QString name;
    if (c == u'[') {
        const int end = m_text.indexOf(u']', m_pos);
        if (end < 0) {
            m_failed = true;
            return -1;
        }
        name = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = end + 1;
    } else if (c.isLetter() || c == u'_' || c == u'$') {
        const int start = m_pos;
        while (m_pos < m_text.size()
               && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_'
                   || m_text.at(m_pos) == u'$' || m_text.at(m_pos) == u'.'))
            ++m_pos;
        name = m_text.mid(start, m_pos - start);
    } else {
        m_failed = true;
        return -1;
    }
    skipBlanks();
    if (m_pos < m_text.size() && m_text.at(m_pos) == u'(') {
        // groupsum(name): the group's value of the field.
        if (name.compare(QStringLiteral("groupsum"), Qt::CaseInsensitive) != 0) {
            m_failed = true;
            return -1;
        }
        ++m_pos;
        const int inner = parseSum();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text.at(m_pos) != u')') {
            m_failed = true;
            return -1;
        }
        ++m_pos;
        return inner;
    }
    Node n;
    n.op = 'v';
    n.name = name;
    return add(n);
}

double CubeExpr::eval(int node, const std::function<double(const QString &)> &lookup) const
{
    const Node &n = m_nodes.at(node);
    switch (n.op) {
    case 'n':
        return n.number;
    case 'v':
        return lookup(n.name);
    case 'u':
        return -eval(n.a, lookup);
    default:
        break;
    }
    const double a = eval(n.a, lookup);
    const double b = eval(n.b, lookup);
    if (std::isnan(a) || std::isnan(b))
        return kNaN;
    switch (n.op) {
    case '+':
        return a + b;
    case '-':
        return a - b;
    case '*':
        return a * b;
    case '/':
        return b == 0 ? kNaN : a / b;
    default:
        return kNaN;
    }
}

} // namespace kq::platform
