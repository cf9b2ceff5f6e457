#include "platform/form.h"

#include "platform/dbcombo.h"
#include "platform/textlimit.h"

#include <QGridLayout>
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

} // namespace kq::platform::form
