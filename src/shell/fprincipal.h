#pragma once

#include "platform/screen.h"
#include "shell/services/sysini.h"

class QLabel;
class QPushButton;

namespace kq::platform {
class ButtonBar;
class StatusBar;
} // namespace kq::platform

namespace kq::shell {

// One line of the menu's dispatch table.
struct MenuTarget
{
    int group;
    int item;
    const char *screen;
    const char *role; // what the screen is for, for the reader
};
// Screen opened by (group, item), or an empty text.
QString menuTarget(int group, int item);

// The tables a database of that name should hold (its schema) that the file
// at databasePath lacks.
QStringList missingTables(const QString &databasePath, const QString &fileName);

// True when nothing can be saved in the data folder (folder or devolvidos.mdb
// protected against writing).
bool dataFolderIsReadOnly(const QString &folder);

// The home screen; it shows the session (data folder and user).
class fprincipal : public kq::platform::Screen
{
    Q_OBJECT
public:
    // Runs the load; throws StartupError (or kq::data::DataError) on failure.
    explicit fprincipal(QWidget *parent = nullptr);

    kq::platform::ButtonBar *ButtonBar1 = nullptr;
    kq::platform::StatusBar *StatusBar1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *fundo = nullptr;
    QLabel *sistema = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *usuario = nullptr;
    QLabel *codigouser = nullptr;

    QString helpFile() const { return m_helpFile; }
    // Opens the screen bound to (group, item); returns its name or "".
    QString ButtonBar1_ItemClick(int group, int item);
    void Command1_Click(); // "SAIR"
    void Command2_Click(); // "Atualizar Valores"
    void Image2_Click();   // "Fale Conosco"
    // Shows the session's data folder and user.
    Q_INVOKABLE void showSession();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *obj, QEvent *event) override;
    bool previewKey(QKeyEvent *event) override;

private:
    void buildControls();
    void formLoad();
    void PreencheMenu(const QString &menuDatabase);
    QString m_helpFile;
};

// The main window's shared instance (loaded, hidden, on first use).
fprincipal *mainWindow();

} // namespace kq::shell
