#pragma once

#include <QList>
#include <QString>

#include <initializer_list>
#include <utility>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kq::platform {
class DBCombo;
}

// The pieces a screen is built of, so that building it reads as its layout.
// Every control carries its name as its object name: the name the office
// knows it by and the one tests find it by.
namespace kq::platform::form {

// A control of type T under parent, built with args before the parent
// (a caption, say) and named.
template<class T, class... Args>
T *named(const QString &name, QWidget *parent, Args &&...args)
{
    auto *control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    return control;
}

// A caption whose mnemonic gives the focus to its box.
QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent);

// A text box that takes at most maxLength characters (0: no limit).
QLineEdit *textBox(const QString &name, int maxLength, QWidget *parent);

// A look-up combo: rows of source, showing listField, bound to boundColumn.
DBCombo *lookup(const QString &name, const QString &source, const QString &listField,
                const QString &boundColumn, QWidget *parent);

// A push button with its caption and, when given, its tip.
QPushButton *button(const QString &name, const QString &text, QWidget *parent,
                    const QString &toolTip = QString());

// One caption and its box.
struct Field
{
    QString caption;
    QWidget *box = nullptr;
};

// How rows of fields sit in a grid: perRow pairs a row, a pair every
// `stride` columns from `column` (a stride above 2 leaves gap columns).
struct Rows
{
    int row = 0;
    int column = 0;
    int perRow = 1;
    int stride = 2;
    Qt::Alignment captionAlignment = {};
    bool nameBoxes = false; // each box's accessible name is its caption
};

// Lays the fields' captions and boxes into grid; returns the first free row.
int addRows(QGridLayout *grid, const QList<Field> &fields, const Rows &at = Rows());

// Tab goes from each control to the next, in this order.
void tabOrder(std::initializer_list<QWidget *> controls);

} // namespace kq::platform::form
