#pragma once

#include "platform/screen.h"

#include <QImage>
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

// File name of the launcher in the applications menu.
inline const QString kLancadorMenu = QStringLiteral("kq-730.desktop");

// The XDG desktop entry that runs an executable, with an icon file when given.
QString desktopEntry(const QString &executable, const QString &icon = QString());
// The program's icon, drawn at the given size.
QImage programIcon(int size);
// Writes the program's icon into the user's icon folder; returns its path.
// Throws kq::platform::RuntimeError on failure.
QString gravarIcone();
// Writes the shortcut into a desktop folder (created when missing) and the
// same launcher into the user's applications menu, both with the program's
// icon; the desktop copy is marked trusted where the desktop keeps such a
// mark (gio). Returns the desktop copy's path. Throws
// kq::platform::RuntimeError on failure.
QString criarAtalho(const QString &desktopFolder, const QString &executable);
// The user's desktop folder and applications-menu folder.
QString desktopFolder();
QString applicationsFolder();

// The places offered instead of drives: the home folder, the root and the
// mounted volumes.
QStringList installPlaces();

// "Instalador de Sistemas": the first-run choice of the data folder.
class finstalacao : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit finstalacao(QWidget *parent = nullptr);

    // The folder list's current folder; setting it opens that folder as a
    // click of the user would.
    QString directory() const;
    void setDirectory(const QString &path);

    void Drive_Change();
    void Dir_Change();
    void Command4_Click(); // "I - Criar Arquivo de Configuração"
    void Command1_Click(); // "II - Criar Atalhos"
    void Command6_Click(); // "Sair  III"

private:
    QComboBox *Drive = nullptr;
    QTreeView *Dir = nullptr;
    QListWidget *File = nullptr;
    QLabel *DS_DIRETORIO = nullptr;
    QLabel *ds_banco = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;

    void buildControls();
    void Form_Load();
    void refreshFiles();

    QFileSystemModel *m_dirModel = nullptr;
    QString m_programFolder;
    QString m_place;
};

} // namespace kq::shell
