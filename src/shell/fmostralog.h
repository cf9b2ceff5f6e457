#pragma once

#include "platform/screen.h"

#include <QStringList>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kq::shell {

// The items of a text file read as delimited items, as the log viewer shows
// them: blanks before an item are skipped, an item ends at a comma or at the
// end of a line, an item that opens with a double quote runs to the next one
// (commas included) and loses its quotes.
QStringList delimitedItems(const QString &text);

// True for the activity-log file names of one user: "VAN" + code + ddmmyy + ".log".
bool isUserLogFile(const QString &fileName, const QString &codigoUsuario);

// "Log de Operação": the logged-in user reads and deletes his activity logs.
class fmostralog : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fmostralog(QWidget *parent = nullptr);

    QListWidget *diretorio = nullptr;
    QPlainTextEdit *historico = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *IMPRIMIR = nullptr;
    QPushButton *SAIR = nullptr;

    // Appends the items of a text file to historico.
    void LerArquivo(const QString &arquivo);

    void Command1_Click(); // "Ler Arquivo Usuário"
    void Command2_Click(); // "Zerar Arquivo Log"
    void SAIR_Click();

private:
    void buildControls();
    void Form_Load();
    // Full path of the chosen file; empty (after a message) when none is chosen.
    QString chosenFile();
};

} // namespace kq::shell
