#pragma once

#include <QString>
#include <QVector>
#include <functional>

namespace kq::platform {

// Expression of a calculated data field: numbers, names of data fields,
// + - * /, unary minus, parentheses and groupsum(name) (the group's value of
// that field, which is the field's own value at a total cell).
class CubeExpr
{
public:
    // False (with an error text) when the text does not parse.
    bool parse(const QString &text, QString *error = nullptr);
    bool isValid() const { return !m_nodes.isEmpty(); }
    // The names the expression reads.
    QStringList names() const;
    // NaN when a value is empty or on division by zero.
    double evaluate(const std::function<double(const QString &)> &lookup) const;

private:
    struct Node
    {
        char op = 0; // 'n' number, 'v' name, '+', '-', '*', '/', 'u' unary minus
        double number = 0;
        QString name;
        int a = -1, b = -1;
    };
    int parseSum();
    int parseProduct();
    int parseUnary();
    int parsePrimary();
    void skipBlanks();
    int add(const Node &n);
    double eval(int node, const std::function<double(const QString &)> &lookup) const;

    QVector<Node> m_nodes;
    int m_root = -1;
    QString m_text;
    int m_pos = 0;
    bool m_failed = false;
};

} // namespace kq::platform
