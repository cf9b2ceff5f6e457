#pragma once

#include <QToolButton>
#include <QVector>
#include <QWidget>

class QScrollArea;
class QVBoxLayout;

namespace kq::platform {

// The grouped menu bar: groups of items, each click reported as the group's
// index and the item's index within its group, both from 1. One group is open
// at a time; its header and items, and the other groups' headers, are all
// reached from the keyboard: Tab and the arrows move through them top to
// bottom, Home and End go to the first and last, Enter or Space on a header
// opens its group and on an item chooses it.
class ButtonBar : public QWidget
{
    Q_OBJECT
public:
    explicit ButtonBar(QWidget *parent = nullptr);

    int addGroup(const QString &caption);
    int groupCount() const { return int(m_groups.size()); }
    QString groupCaption(int group) const;
    QToolButton *header(int group) const;

    // Appends an item at the end of a group. Throws std::invalid_argument for
    // a group that does not exist or a key already used.
    QToolButton *addItem(int group, const QString &key, const QString &caption,
                         int smallPicture = 0, int largePicture = 0);
    int itemCount(int group) const;
    QToolButton *item(int group, int index) const;
    QToolButton *itemByKey(const QString &key) const;

    int currentGroup() const { return m_current; }
    void setCurrentGroup(int group);
    // Puts the focus on the open group's first item, or on its header when
    // it has none.
    void focusCurrentGroup();
    void clickItem(int group, int index);

signals:
    void itemClick(int group, int item);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Group
    {
        QToolButton *header = nullptr;
        QScrollArea *area = nullptr;
        QWidget *page = nullptr;
        QVector<QToolButton *> items;
    };
    // Headers and the open group's items, top to bottom.
    QVector<QWidget *> stops() const;
    bool moveFocus(QWidget *from, int key);

    QVBoxLayout *m_layout = nullptr;
    QVector<Group> m_groups;
    int m_current = 0;
};

} // namespace kq::platform
