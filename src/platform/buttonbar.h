#pragma once

#include <QToolButton>
#include <QVector>
#include <QWidget>

class QToolBox;

namespace kq::platform {

// The grouped menu bar: groups of items, each click reported as the group's
// index and the item's index within its group, both from 1.
class ButtonBar : public QWidget
{
    Q_OBJECT
public:
    explicit ButtonBar(QWidget *parent = nullptr);

    int addGroup(const QString &caption);
    int groupCount() const { return int(m_groups.size()); }
    QString groupCaption(int group) const;

    // Appends an item at the end of a group. Throws std::invalid_argument for
    // a group that does not exist or a key already used.
    QToolButton *addItem(int group, const QString &key, const QString &caption,
                         int smallPicture = 0, int largePicture = 0);
    int itemCount(int group) const;
    QToolButton *item(int group, int index) const;
    QToolButton *itemByKey(const QString &key) const;

    void setCurrentGroup(int group);
    void clickItem(int group, int index);

signals:
    void itemClick(int group, int item);

private:
    struct Group
    {
        QWidget *page = nullptr;
        QVector<QToolButton *> items;
    };
    QToolBox *m_box = nullptr;
    QVector<Group> m_groups;
};

} // namespace kq::platform
