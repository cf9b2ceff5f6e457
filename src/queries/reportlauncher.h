#pragma once

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

} // namespace kq::queries
