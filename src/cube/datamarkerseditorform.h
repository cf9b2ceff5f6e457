#pragma once

#include "platform/screen.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kq::platform {
class DCube;
class CubeField;
} // namespace kq::platform

namespace kq::cube {

class DataMarkerCollection;
class dataMarker;

// The editor of the cube screen's data markers: the markers of one data
// field as a list of ranges, with their limits and colours. Every change
// refreshes the cube at once.
class DataMarkersEditorForm : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit DataMarkersEditorForm(QWidget *parent = nullptr);

    // Fills a new editor for that cube and collection and shows it modally;
    // returns when the user closes it.
    static void ShowDataMarkers(kq::platform::DCube *cubeObject, DataMarkerCollection *dataMarkers);
    // The filling of ShowDataMarkers, without showing the window.
    void fill(kq::platform::DCube *cubeObject, DataMarkerCollection *dataMarkers);

    // Asks for a range and adds a marker (red on white) for the named data
    // field; true when one was added.
    bool NewDataMarker(const QString &dataFieldName);

    QLabel *lblDataField = nullptr;
    QComboBox *cboDataMarkerField = nullptr;
    QLabel *lblRange = nullptr;
    QLineEdit *txtLimit[2] = {nullptr, nullptr};
    QLabel *lblRangeTo = nullptr;
    QLabel *lblBackColor = nullptr;
    QPushButton *cmdDMBackColor = nullptr;
    QLabel *lblForeColor = nullptr;
    QPushButton *cmdDMForeColor = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QListWidget *lstRanges = nullptr;

    // Sets the limit of box Index from its text; false when the text is no
    // number (or the edit failed).
    bool UpdateLimit(int Index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    kq::platform::CubeField *GetSelectedDataField() const;
    dataMarker *GetSelectedMarker() const;
    void RefreshRangeList();
    void ShowSelectedMarker();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void changeColor(bool back);
    bool PickColor(const QString &name, qint32 &colour);
    void refreshCube();
    void setButtonColor(QPushButton *button, qint32 colour);

    kq::platform::DCube *m_cube = nullptr;
    DataMarkerCollection *m_markers = nullptr;
    bool m_validating = false;
};

} // namespace kq::cube
