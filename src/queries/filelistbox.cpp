#include "queries/filelistbox.h"

#include <QDir>

namespace kq::queries {

FileListBox::FileListBox(const QString &pattern, QWidget *parent)
    : QListWidget(parent)
    , m_pattern(pattern)
{}

void FileListBox::setPath(const QString &folder)
{
    m_path = folder;
    clear();
    const QDir dir(folder);
    addItems(dir.entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

QString FileListBox::fileName() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

bool FileListBox::setFileName(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}

} // namespace kq::queries
