#include "platform/form.h"

#include "platform/dbcombo.h"
#include "platform/textlimit.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kq::platform::form {

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLineEdit *textBox(const QString &name, int maxLength, QWidget *parent)
{
    auto *box = named<QLineEdit>(name, parent);
    setTextLimit(box, maxLength);
    return box;
}

DBCombo *lookup(const QString &name, const QString &source, const QString &listField,
                const QString &boundColumn, QWidget *parent)
{
    auto *combo = named<DBCombo>(name, parent);
    combo->setRowSource(source);
    combo->setListField(listField);
    combo->setBoundColumn(boundColumn);
    return combo;
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent,
                    const QString &toolTip)
{
    auto *b = named<QPushButton>(name, parent, text);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    return b;
}

int addRows(QGridLayout *grid, const QList<Field> &fields, const Rows &at)
{
    for (int i = 0; i < fields.size(); ++i) {
        const int row = at.row + i / at.perRow;
        const int column = at.column + (i % at.perRow) * at.stride;
        const Field &f = fields[i];
        if (at.nameBoxes)
            f.box->setAccessibleName(f.caption);
        grid->addWidget(caption(f.caption, f.box, f.box->parentWidget()), row, column,
                        at.captionAlignment);
        grid->addWidget(f.box, row, column + 1);
    }
    return at.row + (fields.size() + at.perRow - 1) / at.perRow;
}

void tabOrder(std::initializer_list<QWidget *> controls)
{
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

Item::Item(QWidget *widget)
    : m_widget(widget)
{}

Item::Item(QLayout *layout)
    : m_layout(layout)
{}

Item stretch(int factor)
{
    Item item;
    item.m_stretch = true;
    item.m_grow = factor;
    return item;
}

Item skip(int columns)
{
    Item item;
    item.m_skip = columns;
    return item;
}

Item field(const QString &caption, QWidget *buddy, const Item &beside)
{
    Item item = beside;
    item.m_caption = caption;
    item.m_buddy = buddy;
    return item;
}

Item &Item::grow(int factor)
{
    m_grow = factor;
    return *this;
}

Item &Item::align(Qt::Alignment alignment)
{
    m_alignment = alignment;
    return *this;
}

Item &Item::span(int columns, int rows)
{
    m_columns = columns;
    m_rows = rows;
    return *this;
}

Item &Item::alignCaption(Qt::Alignment alignment)
{
    m_captionAlignment = alignment;
    return *this;
}

void Item::addTo(QBoxLayout *box) const
{
    if (!m_caption.isEmpty())
        box->addWidget(caption(m_caption, m_buddy, m_buddy->parentWidget()));
    if (m_stretch)
        box->addStretch(m_grow);
    else if (m_widget)
        box->addWidget(m_widget, m_grow, m_alignment);
    else if (m_layout)
        box->addLayout(m_layout, m_grow);
}

int Item::addTo(QGridLayout *grid, int row, int column) const
{
    if (m_skip > 0)
        return column + m_skip;
    if (!m_caption.isEmpty()) {
        grid->addWidget(caption(m_caption, m_buddy, m_buddy->parentWidget()), row, column,
                        m_captionAlignment);
        ++column;
    }
    if (m_widget)
        grid->addWidget(m_widget, row, column, m_rows, m_columns, m_alignment);
    else if (m_layout)
        grid->addLayout(m_layout, row, column, m_rows, m_columns, m_alignment);
    return column + m_columns;
}

Row::Row(std::initializer_list<Item> items)
    : m_layout(new QHBoxLayout)
{
    for (const Item &item : items)
        item.addTo(m_layout);
}

Row &Row::spacing(int pixels)
{
    m_layout->setSpacing(pixels);
    return *this;
}

void Row::attachTo(QWidget *widget) const
{
    widget->setLayout(m_layout);
}

Column::Column(std::initializer_list<Item> items)
    : m_layout(new QVBoxLayout)
{
    for (const Item &item : items)
        item.addTo(m_layout);
}

void Column::attachTo(QWidget *widget) const
{
    widget->setLayout(m_layout);
}

Grid::Grid(std::initializer_list<std::initializer_list<Item>> rows)
    : m_layout(new QGridLayout)
{
    for (const auto &row : rows)
        m_rows << QList<Item>(row);
    for (int r = 0; r < m_rows.size(); ++r) {
        int column = 0;
        for (const Item &item : m_rows[r])
            column = item.addTo(m_layout, r, column);
    }
}

Grid &Grid::columnStretch(int column, int factor)
{
    m_layout->setColumnStretch(column, factor);
    return *this;
}

Grid &Grid::rowStretch(int row, int factor)
{
    m_layout->setRowStretch(row, factor);
    return *this;
}

Grid &Grid::columnMinimumWidth(int column, int pixels)
{
    m_layout->setColumnMinimumWidth(column, pixels);
    return *this;
}

Grid &Grid::horizontalSpacing(int pixels)
{
    m_layout->setHorizontalSpacing(pixels);
    return *this;
}

Grid &Grid::nameBoxes()
{
    for (const QList<Item> &row : m_rows)
        for (const Item &item : row)
            if (!item.m_caption.isEmpty())
                item.m_buddy->setAccessibleName(item.m_caption);
    return *this;
}

void Grid::attachTo(QWidget *widget) const
{
    widget->setLayout(m_layout);
}

QGroupBox *newGroup(const QString &title, QWidget *parent, const QString &name)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace kq::platform::form
