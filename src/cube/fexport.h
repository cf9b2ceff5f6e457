#pragma once

#include "platform/screen.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace kq::cube {

// Writes the cube screen's cube to an HTML or Excel file in the program
// folder and can open it in the desktop's program.
class fexport : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fexport(QWidget *parent = nullptr);

    QGroupBox *Frame1 = nullptr;
    QRadioButton *robHTML = nullptr;
    QRadioButton *robExcel = nullptr;
    QCheckBox *ckbIncludeTotals = nullptr;
    QCheckBox *ckbExportFormattedNumbers = nullptr;
    QCheckBox *ckbIncludeAttribColors = nullptr;
    QCheckBox *ckbMergeRowsAndColumns = nullptr;
    QCheckBox *ShowFileCheck = nullptr;
    QLabel *lblVisDataFields = nullptr;
    QListWidget *lstVisDataField = nullptr;
    QPushButton *cmdExport = nullptr;

    void cmdExport_Click();

private:
    void lstVisDataField_ItemCheck(QListWidgetItem *item);
};

} // namespace kq::cube
