#pragma once

#include "platform/screen.h"

#include <QString>

class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace kq::platform {
class DBCombo;
class DTPicker;
class ReportEngine;
} // namespace kq::platform

// Pieces shared by the four report launchers.
namespace kq::queries {

class FileListBox;

// A frame holding "De:" start and "A" end pickers (both on today).
QGroupBox *periodFrame(const QString &title, const QString &startName, const QString &endName,
                       kq::platform::DTPicker **start, kq::platform::DTPicker **end,
                       QWidget *parent);
// The report list of the data folder with that pattern.
FileListBox *reportList(const QString &name, const QString &pattern, QWidget *parent);
// A look-up combo over devolvidos.mdb, read at once.
kq::platform::DBCombo *lookupCombo(const QString &name, const QString &rowSource,
                                   const QString &listField, const QString &boundColumn,
                                   QWidget *parent);
// The row of "&Executar" (Command2) and "&Sair" (Command1), on the right.
QHBoxLayout *runButtons(QWidget *parent, QPushButton **executar, QPushButton **sair);
// The screen's report engine, CrystalReport1.
kq::platform::ReportEngine *reportEngine(QWidget *parent);
// The report run: database, report file chosen in the list, window options,
// formula, run. A missing choice or a report that fails is told to the user.
bool runChosenReport(kq::platform::ReportEngine &engine, const FileListBox *list,
                     const QString &formula);

// Base of the four report launchers: their report engine CrystalReport1 and
// "Sair" (Command1), which closes the screen.
class ReportLauncher : public kq::platform::Screen
{
    Q_OBJECT
public:
    void Command1_Click(); // "Sair"
    kq::platform::ReportEngine *engine() const { return CrystalReport1; }

protected:
    ReportLauncher(const QString &name, QWidget *parent);

    kq::platform::ReportEngine *CrystalReport1 = nullptr;
};

} // namespace kq::queries
