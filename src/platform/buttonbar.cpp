#include "platform/buttonbar.h"

#include <QStyle>
#include <QToolBox>
#include <QVBoxLayout>
#include <stdexcept>

namespace kq::platform {

ButtonBar::ButtonBar(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_box = new QToolBox(this);
    m_box->setStyleSheet(QStringLiteral(
        "QToolBox::tab { background: #d8e6f2; color: black; border: 1px solid #7f9db9;"
        " font-weight: bold; padding-left: 6px; }"
        "QToolBox::tab:selected { background: #a9c9e8; }"));
    layout->addWidget(m_box);
    setAutoFillBackground(true);
}

int ButtonBar::addGroup(const QString &caption)
{
    Group g;
    g.page = new QWidget;
    auto *layout = new QVBoxLayout(g.page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addStretch(1);
    m_box->addItem(g.page, caption);
    m_groups.append(g);
    return int(m_groups.size());
}

QString ButtonBar::groupCaption(int group) const
{
    if (group < 1 || group > m_groups.size())
        return QString();
    return m_box->itemText(group - 1);
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
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    button->setIconSize(QSize(32, 32));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setAutoRaise(true);
    auto *layout = static_cast<QVBoxLayout *>(g.page->layout());
    layout->insertWidget(layout->count() - 1, button);
    g.items.append(button);
    const int index = int(g.items.size());
    connect(button, &QToolButton::clicked, this, [this, group, index] {
        emit itemClick(group, index);
    });
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
    if (group >= 1 && group <= m_groups.size())
        m_box->setCurrentIndex(group - 1);
}

void ButtonBar::clickItem(int group, int index)
{
    emit itemClick(group, index);
}

} // namespace kq::platform
