#pragma once

#include "cube/model/cubetypes.h"

#include <QPointer>
#include <QString>

class QObject;

namespace kq::platform {
class DCube;
class CubeField;
class CubeDataItem;
} // namespace kq::platform

namespace kq::cube {

// Axis codes of the helper's axis arguments (not field orientations).
enum CubeAxis : int {
    ColumnAxis = 2,
    RowAxis = 3,
};

// Questions and small operations over one cube's object model: headings at a
// point, the field or data item under a hit record, filters, drilling one
// level at a time, expanding, searching items and filling lists with fields.
class DynamiCubeHelperMethods
{
public:
    void Init(kq::platform::DCube *cube);
    kq::platform::DCube *cube() const { return m_cube; }

    QString GetHeadingFromPoint(const QString &fieldName, int rowNumber, int colNumber) const;
    // Whether the field's level is shown at the cube's current column or row;
    // dataItemName receives the heading item's name when it is.
    bool IsDataItemDisplayed(kq::platform::CubeField *cubeField,
                             QString *dataItemName = nullptr) const;
    int GetVisibleDataFieldCount() const;
    static QString GetDelimiters(int count, const QString &delimiter);
    // 0, or the number of the error that stopped it.
    int ChangeDataItemCaption(const QString &searchingCaption, const QString &replacingCaption,
                              kq::platform::CubeField *fieldObject);
    QString GetHeadingInformation(int eArea, int rowColNumber, int desiredDepth,
                                  const QString &delimeter = QString()) const;
    kq::platform::CubeField *GetFieldFromHitRecord(const kq::platform::CubeHitRecord &hitRec) const;
    bool ContainsField(const QString &fieldName) const;
    void ClearFilters(const QString &fieldName = QString());
    void ToggleFilter(const QString &fieldName);
    kq::platform::CubeDataItem *GetDataItem(const QString &fieldName,
                                            const QString &dataItemName) const;
    kq::platform::CubeField *GetFieldbyCaption(const QString &searchingCaption) const;
    int GetRowAreaWidth() const;
    void DrillAhead(int eAxis);
    void DrillBack(int eAxis);
    void CollapseCube();
    void ExpandCube();
    void ExpandField(const QString &fieldName);
    void CollapseField(const QString &fieldName);
    // Keeps only the field's items whose caption contains the text (any
    // case); returns how many; 0 and no change when none does.
    int Find(kq::platform::CubeField *fieldObject, const QString &textToFind,
             bool showResultsOnRow = false);
    // ctrl: a QListWidget or a QComboBox; item data (Qt::UserRole) = index.
    void FillListOrComboWithAxisFields(QObject *ctrl);
    kq::platform::CubeField *GetAxisFieldFromListOrCombo(QObject *ctrl) const;
    void FillListOrComboWithDataFields(QObject *ctrl);
    kq::platform::CubeField *GetDataFieldFromListOrCombo(QObject *ctrl) const;
    kq::platform::CubeDataItem *GetDataItemFromHitRecord(
        const kq::platform::CubeHitRecord &hitRec) const;
    kq::platform::CubeDataItem *GetDataItemFromCaption(kq::platform::CubeField *fieldObject,
                                                       const QString &dataitemCaption) const;

private:
    void SetExpanded(bool flag, const QString &fieldName);
    kq::platform::DCube &dc() const;

    QPointer<kq::platform::DCube> m_cube;
};

} // namespace kq::cube
