#pragma once

#include "platform/screen.h"

#include <QPointer>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace kq::platform {
class DCube;
}

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

    // The cube the export writes (the cube screen's, given when it opens this
    // one); its data fields fill the list.
    void setCube(kq::platform::DCube *cube);

    void cmdExport_Click();

private:
    void lstVisDataField_ItemCheck(QListWidgetItem *item);

    QPointer<kq::platform::DCube> m_cube;
};

} // namespace kq::cube
