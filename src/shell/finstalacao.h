#pragma once

#include "platform/screen.h"

#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace kq::shell {

// File name of the desktop shortcut.
inline const QString kAtalho = QStringLiteral("kq-730 Sistema de Vantesca.desktop");

// Writes "sys.ini": the data folder as its one line, ended by CR LF,
// replacing the file. Throws kq::platform::RuntimeError on failure (the old
// file is then left as it was).
void gravarSysIni(const QString &sysIniPath, const QString &dataFolder);

// The XDG desktop entry that runs an executable.
QString desktopEntry(const QString &executable);
// Writes the shortcut into a desktop folder (created when missing); returns
// its path. Throws kq::platform::RuntimeError on failure.
QString criarAtalho(const QString &desktopFolder, const QString &executable);
// The user's desktop folder.
QString desktopFolder();

// The places offered instead of drives: the home folder, the root and the
// mounted volumes.
QStringList installPlaces();

// "Instalador de Sistemas": the first-run choice of the data folder.
class finstalacao : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit finstalacao(QWidget *parent = nullptr);

    QComboBox *Drive = nullptr;
    QTreeView *Dir = nullptr;
    QListWidget *File = nullptr;
    QLabel *DS_DIRETORIO = nullptr;
    QLabel *ds_banco = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;

    // The folder list's current folder; setting it opens that folder as a
    // click of the user would.
    QString directory() const;
    void setDirectory(const QString &path);

    void Drive_Change();
    void Dir_Change();
    void Command4_Click();
    void Command1_Click();
    void Command6_Click();

private:
    void buildControls();
    void Form_Load();
    void refreshFiles();

    QFileSystemModel *m_dirModel = nullptr;
    QString m_programFolder;
    QString m_place;
};

} // namespace kq::shell
