#include "platform/buttonbar.h"

#include <QKeyEvent>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <stdexcept>

namespace kq::platform {

namespace {

const char *const kHeaderStyle
    = "QToolButton { background: #d8e6f2; color: black; border: 1px solid #7f9db9;"
      " font-weight: bold; text-align: left; padding: 3px 6px; }"
      "QToolButton:checked { background: #a9c9e8; }"
      "QToolButton:focus { border: 2px solid #1f4e79; background: #fff2b3; }";

const char *const kItemStyle = "QToolButton:focus { border: 2px solid #1f4e79; border-radius: 3px;"
                               " background: #fff2b3; }";

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

ButtonBar::ButtonBar(QWidget *parent)
    : QWidget(parent)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(1);
    setAutoFillBackground(true);
}

int ButtonBar::addGroup(const QString &caption)
{
    Group g;
    g.header = new QToolButton(this);
    g.header->setText(caption);
    g.header->setAccessibleName(caption);
    g.header->setCheckable(true);
    g.header->setFocusPolicy(Qt::StrongFocus);
    g.header->setToolButtonStyle(Qt::ToolButtonTextOnly);
    g.header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    g.header->setStyleSheet(QString::fromLatin1(kHeaderStyle));
    g.header->installEventFilter(this);

    g.page = new QWidget;
    auto *layout = new QVBoxLayout(g.page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addStretch(1);
    // The frame only scrolls the items: it is never a stop of its own.
    g.area = new QScrollArea(this);
    g.area->setFocusPolicy(Qt::NoFocus);
    g.area->setFrameShape(QFrame::NoFrame);
    g.area->setWidgetResizable(true);
    g.area->setWidget(g.page);

    m_layout->addWidget(g.header);
    m_layout->addWidget(g.area, 1);
    if (!m_groups.isEmpty()) {
        const Group &previous = m_groups.constLast();
        QWidget::setTabOrder(
            previous.items.isEmpty() ? previous.header : previous.items.constLast(), g.header);
    }
    m_groups.append(g);
    const int group = int(m_groups.size());
    connect(g.header, &QToolButton::clicked, this, [this, group] { setCurrentGroup(group); });
    setCurrentGroup(m_current == 0 ? group : m_current);
    return group;
}

QString ButtonBar::groupCaption(int group) const
{
    const QToolButton *h = header(group);
    return h ? h->text() : QString();
}

QToolButton *ButtonBar::header(int group) const
{
    if (group < 1 || group > m_groups.size())
        return nullptr;
    return m_groups.at(group - 1).header;
}

QToolButton *ButtonBar::addItem(int group, const QString &key, const QString &caption, int, int)
{
    if (group < 1 || group > m_groups.size())
        throw std::invalid_argument("group out of range");
    if (itemByKey(key))
        throw std::invalid_argument("key already in use");
    Group &g = m_groups[group - 1];
    auto *button = new QToolButton(g.page);
    button->setObjectName(key);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    button->setIconSize(QSize(32, 32));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(QString::fromLatin1(kItemStyle));
    button->installEventFilter(this);
    auto *layout = static_cast<QVBoxLayout *>(g.page->layout());
    layout->insertWidget(layout->count() - 1, button);
    // Items follow their own header in the tab order, before the next header.
    QWidget::setTabOrder(g.items.isEmpty() ? g.header : g.items.constLast(), button);
    g.items.append(button);
    const int index = int(g.items.size());
    connect(button, &QToolButton::clicked, this,
            [this, group, index] { emit itemClick(group, index); });
    return button;
}

int ButtonBar::itemCount(int group) const
{
    if (group < 1 || group > m_groups.size())
        return 0;
    return int(m_groups.at(group - 1).items.size());
}

QToolButton *ButtonBar::item(int group, int index) const
{
    if (group < 1 || group > m_groups.size())
        return nullptr;
    const auto &items = m_groups.at(group - 1).items;
    if (index < 1 || index > items.size())
        return nullptr;
    return items.at(index - 1);
}

QToolButton *ButtonBar::itemByKey(const QString &key) const
{
    for (const Group &g : m_groups)
        for (QToolButton *b : g.items)
            if (b->objectName() == key)
                return b;
    return nullptr;
}

void ButtonBar::setCurrentGroup(int group)
{
    if (group < 1 || group > m_groups.size())
        return;
    m_current = group;
    for (int i = 0; i < m_groups.size(); ++i) {
        const bool open = i == group - 1;
        m_groups[i].header->setChecked(open);
        m_groups[i].area->setVisible(open);
    }
}

void ButtonBar::focusCurrentGroup()
{
    if (m_current < 1)
        return;
    const Group &g = m_groups.at(m_current - 1);
    QWidget *target = g.items.isEmpty() ? static_cast<QWidget *>(g.header) : g.items.first();
    target->setFocus(Qt::OtherFocusReason);
}

void ButtonBar::clickItem(int group, int index)
{
    emit itemClick(group, index);
}

QVector<QWidget *> ButtonBar::stops() const
{
    QVector<QWidget *> list;
    for (int i = 0; i < m_groups.size(); ++i) {
        list << m_groups.at(i).header;
        if (i == m_current - 1)
            for (QToolButton *b : m_groups.at(i).items)
                list << b;
    }
    return list;
}

bool ButtonBar::moveFocus(QWidget *from, int key)
{
    const QVector<QWidget *> list = stops();
    const qsizetype at = list.indexOf(from);
    if (at < 0 || list.isEmpty())
        return false;
    qsizetype to = at;
    switch (key) {
    case Qt::Key_Up:
        to = qMax<qsizetype>(at - 1, 0);
        break;
    case Qt::Key_Down:
        to = qMin<qsizetype>(at + 1, list.size() - 1);
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = list.size() - 1;
        break;
    default:
        return false;
    }
    list.at(to)->setFocus(key == Qt::Key_Up ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    return true;
}

bool ButtonBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // An item scrolled out of sight comes into view when it takes the focus.
        for (const Group &g : m_groups)
            if (g.items.contains(watched))
                g.area->ensureWidgetVisible(static_cast<QWidget *>(watched));
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    auto *button = qobject_cast<QToolButton *>(watched);
    if (!button)
        return false;
    if (isEnter(key->key())) {
        button->click();
        return true;
    }
    return moveFocus(button, key->key());
}

} // namespace kq::platform
