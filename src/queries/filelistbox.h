#pragma once

#include <QListWidget>

namespace kq::queries {

// The file list of the letter and report screens: the files of one folder
// whose names match a pattern ("Carta*.doc", "1_*.rpt"), letter case ignored.
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(const QString &pattern, QWidget *parent = nullptr);
    // Lists the folder's files again.
    void setPath(const QString &folder);
    QString path() const { return m_path; }
    QString pattern() const { return m_pattern; }
    // The chosen file's name, "" when none is chosen.
    QString fileName() const;
    // Chooses a file by name; false when the list lacks it.
    bool setFileName(const QString &name);

private:
    QString m_pattern;
    QString m_path;
};

} // namespace kq::queries
