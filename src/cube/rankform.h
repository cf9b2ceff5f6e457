#pragma once

#include "cube/engine/dcube.h"
#include "platform/screen.h"

#include <QPointer>
#include <array>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kq::cube {

struct SortSettings;

// Orders the members of one axis field of the cube: by its labels or ranked
// by a data field, ascending or descending.
class RankForm : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit RankForm(QWidget *parent = nullptr);

    QLabel *DimensionFieldListLabel = nullptr;
    QListWidget *lstAxisFields = nullptr;
    QLabel *SortOrderLabel = nullptr;
    std::array<QRadioButton *, 3> SortOption{};
    QLabel *MeasureComboLabel = nullptr;
    QComboBox *cboDataFields = nullptr;
    QPushButton *CloseButton = nullptr;

    void setDynamiCube(kq::platform::DCube *theCube);
    kq::platform::DCube *dynamiCube() const { return m_cube; }
    kq::platform::CubeField *selectedField() const;
    void setSelectedField(kq::platform::CubeField *cubeField);

protected:
    bool previewKey(QKeyEvent *event) override;

private:
    void BeginUpdate() { ++m_updating; }
    void EndUpdate() { --m_updating; }
    bool IsUpdating() const { return m_updating >= 1; }
    int FindDataFieldListIndex(int index) const;
    void DisableSortControls();
    void EnableSortControls();
    void clearOptions();
    int selectedOption() const;
    void writeSettings(kq::platform::CubeField *field, const SortSettings &s);

    void lstAxisFields_Click(int row);
    void SortOption_Click(int index);
    void cboDataFields_Click(int index);

    QPointer<kq::platform::DCube> m_cube;
    int m_selected = -1;
    int m_updating = 0;
};

} // namespace kq::cube
