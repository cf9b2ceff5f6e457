#pragma once

#include <QList>
#include <QString>

#include <initializer_list>
#include <utility>

class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QLayout;
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

// Named as above, and known to screen readers by that name: a control that
// no caption speaks for.
template<class T, class... Args>
T *known(const QString &name, QWidget *parent, Args &&...args)
{
    T *control = named<T>(name, parent, std::forward<Args>(args)...);
    control->setAccessibleName(name);
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

// Declared layouts: a screen says what sits beside and below what, and the
// builder makes the Qt layouts. Rows and columns hold controls, nested
// layouts and stretches; a grid holds rows of cells, a captioned field taking
// two cells (its caption, then its box).
class Item
{
public:
    Item(QWidget *widget);
    Item(QLayout *layout);
    template<class L, class = decltype(std::declval<const L &>().layout())>
    Item(const L &layout)
        : Item(layout.layout())
    {}

    // Its share of the growth of a row or a column.
    Item &grow(int factor);
    Item &align(Qt::Alignment alignment);
    // Cells it covers in a grid.
    Item &span(int columns, int rows = 1);
    Item &alignCaption(Qt::Alignment alignment);

private:
    friend Item stretch(int factor);
    friend Item skip(int columns);
    friend Item field(const QString &caption, QWidget *buddy, const Item &beside);
    friend class Row;
    friend class Column;
    friend class Grid;
    Item() = default;
    void addTo(QBoxLayout *box) const;
    // Lays the item from column; returns the column after it.
    int addTo(QGridLayout *grid, int row, int column) const;

    QWidget *m_widget = nullptr;
    QLayout *m_layout = nullptr;
    QString m_caption;
    QWidget *m_buddy = nullptr;
    Qt::Alignment m_captionAlignment = {};
    bool m_stretch = false;
    int m_skip = 0;
    int m_grow = 0;
    Qt::Alignment m_alignment = {};
    int m_columns = 1;
    int m_rows = 1;
};

// Space that grows, in a row or a column.
Item stretch(int factor = 0);
// Empty cells of a grid row.
Item skip(int columns = 1);
// A caption and the item beside it; the caption's mnemonic gives the focus
// to buddy.
Item field(const QString &caption, QWidget *buddy, const Item &beside);
inline Item field(const QString &caption, QWidget *box)
{
    return field(caption, box, box);
}

// Items side by side.
class Row
{
public:
    Row(std::initializer_list<Item> items);
    Row &spacing(int pixels);
    QBoxLayout *layout() const { return m_layout; }
    void attachTo(QWidget *widget) const;

private:
    QBoxLayout *m_layout;
};

// Items one below the other.
class Column
{
public:
    Column(std::initializer_list<Item> items);
    QBoxLayout *layout() const { return m_layout; }
    void attachTo(QWidget *widget) const;

private:
    QBoxLayout *m_layout;
};

// Rows of cells, one list of items a row.
class Grid
{
public:
    Grid(std::initializer_list<std::initializer_list<Item>> rows);
    Grid &columnStretch(int column, int factor);
    Grid &rowStretch(int row, int factor);
    Grid &columnMinimumWidth(int column, int pixels);
    Grid &horizontalSpacing(int pixels);
    // Each field's box is known to screen readers by its caption.
    Grid &nameBoxes();
    QGridLayout *layout() const { return m_layout; }
    void attachTo(QWidget *widget) const;

private:
    QGridLayout *m_layout;
    QList<QList<Item>> m_rows;
};

// The empty box that group() lays out.
QGroupBox *newGroup(const QString &title, QWidget *parent, const QString &name);

// A framed, titled box of parent laid out as layout. Controls made on the
// screen before it keep their tab order when it takes them: they stay in the
// same window.
template<class L>
QGroupBox *group(const QString &title, const L &layout, QWidget *parent,
                 const QString &name = QString())
{
    auto *box = newGroup(title, parent, name);
    layout.attachTo(box);
    return box;
}

} // namespace kq::platform::form
