#include "cube/dynamicubehelpermethods.h"

#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"

#include <QComboBox>
#include <QListWidget>
#include <algorithm>
#include <cmath>

namespace kq::cube {

using kq::platform::CubeDataItem;
using kq::platform::CubeField;
using kq::platform::CubeFields;
using kq::platform::CubeHitRecord;
using kq::platform::DCube;
using kq::platform::Dialogs;

namespace {

[[noreturn]] void raiseNoObject()
{
    throw kq::platform::RuntimeError(91,
                                     QStringLiteral("Object variable or With block variable "
                                                    "not set"),
                                     QStringLiteral("DynamiCubeHelperMethods"));
}

template<typename T>
T *required(T *object)
{
    if (!object)
        raiseNoObject();
    return object;
}

} // namespace

void DynamiCubeHelperMethods::Init(DCube *cube)
{
    m_cube = cube;
}

DCube &DynamiCubeHelperMethods::dc() const
{
    return *required(m_cube.data());
}

QString DynamiCubeHelperMethods::GetHeadingFromPoint(const QString &fieldName, int rowNumber,
                                                     int colNumber) const
{
    try {
        const CubeField *field = dc().fields()->item(fieldName);
        if (!field)
            return QString();
        switch (field->orientation()) {
        case kq::platform::OrientColumn:
            return dc().columnHeading(colNumber, field->position() + 1).text;
        case kq::platform::OrientRow:
            return dc().rowHeading(rowNumber, field->position() + 1).text;
        default:
            return QString();
        }
    } catch (const std::exception &) {
        return QString(); // every error is ignored here
    }
}

bool DynamiCubeHelperMethods::IsDataItemDisplayed(CubeField *cubeField, QString *dataItemName) const
{
    required(cubeField);
    const int level = cubeField->position() + 1;
    kq::platform::CubeHeading heading;
    bool shown = false;
    if (cubeField->orientation() == kq::platform::OrientColumn) {
        const int column = dc().currentColumn();
        heading = dc().columnHeading(column, level);
        if (!heading.isDataItem())
            return false;
        const int depth = dc().columnHeadingDepth(column);
        // With several data fields their captions take the last level.
        shown = GetVisibleDataFieldCount() < 2 ? level <= depth : level < depth;
    } else if (cubeField->orientation() == kq::platform::OrientRow) {
        const int row = dc().currentRow();
        heading = dc().rowHeading(row, level);
        if (!heading.isDataItem())
            return false;
        shown = level <= dc().rowHeadingDepth(row);
    } else {
        return false;
    }
    if (shown && dataItemName)
        *dataItemName = heading.item->name();
    return shown;
}

int DynamiCubeHelperMethods::GetVisibleDataFieldCount() const
{
    const CubeFields *data = dc().dataFields();
    int visible = 0;
    for (int i = 0; i < data->count(); ++i) {
        if (data->item(i)->shown())
            ++visible;
    }
    return visible;
}

QString DynamiCubeHelperMethods::GetDelimiters(int count, const QString &delimiter)
{
    return count < 1 ? QString() : delimiter.repeated(count);
}

int DynamiCubeHelperMethods::ChangeDataItemCaption(const QString &searchingCaption,
                                                   const QString &replacingCaption,
                                                   CubeField *fieldObject)
{
    try {
        const auto items = required(fieldObject)->dataItems()->all();
        for (CubeDataItem *item : items) {
            if (item->caption() == searchingCaption)
                item->setCaption(replacingCaption);
        }
    } catch (const std::exception &e) {
        return kq::platform::errorInfo(e).number;
    }
    return 0;
}

QString DynamiCubeHelperMethods::GetHeadingInformation(int eArea, int rowColNumber,
                                                       int desiredDepth,
                                                       const QString &delimeter) const
{
    if (eArea != ColumnAxis && eArea != RowAxis) {
        Dialogs::message(QStringLiteral("Invalid AxisEnum. Valid Values are 2 (ColumnAxis) "
                                        "or 3 (RowAxis)"),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Critical);
        return QString();
    }
    QString s;
    bool first = true;
    auto append = [&](const QString &text) {
        if (!first)
            s += delimeter;
        s += text;
        first = false;
    };

    if (eArea == RowAxis) {
        const int n = dc().rowFields()->count();
        const int depth = dc().rowHeadingDepth(rowColNumber);
        if (desiredDepth > n)
            return QString();
        const int last = desiredDepth < n ? std::min(desiredDepth, depth) : depth;
        for (int level = 1; level <= last; ++level)
            append(dc().rowHeading(rowColNumber, level).text);
        return s;
    }

    const bool multi = GetVisibleDataFieldCount() > 1;
    const int n = dc().columnFields()->count();
    const int depth = dc().columnHeadingDepth(rowColNumber) - (multi ? 1 : 0);
    const int last = desiredDepth <= n ? std::min(desiredDepth, depth) : depth;
    for (int level = 1; level <= last; ++level)
        append(dc().columnHeading(rowColNumber, level).text);
    if (desiredDepth <= n + 1) {
        if (depth == 0 && !multi)
            append(required(dc().dataFieldOfColumn(rowColNumber))->caption());
        else if (desiredDepth > depth)
            append(dc().columnHeading(rowColNumber, n + 1).text);
    }
    return s;
}

CubeField *DynamiCubeHelperMethods::GetFieldFromHitRecord(const CubeHitRecord &hitRec) const
{
    switch (hitRec.area) {
    case kq::platform::HitDataCells:
        return dc().dataFieldOfColumn(hitRec.column);
    case kq::platform::HitColumnHeadings: {
        if (!hitRec.headingField)
            return dc().dataFieldOfColumn(hitRec.column);
        const int depth
            = dc().columnHeadingDepth(hitRec.column) - (GetVisibleDataFieldCount() > 1 ? 1 : 0);
        if (hitRec.headingField->position() + 1 < depth)
            return hitRec.headingField;
        return dc().columnFields()->itemByPosition(depth - 1);
    }
    case kq::platform::HitRowHeadings: {
        if (!hitRec.headingField)
            return nullptr;
        const int depth = dc().rowHeadingDepth(hitRec.row);
        if (hitRec.headingField->position() + 1 < depth)
            return hitRec.headingField;
        return dc().rowFields()->itemByPosition(depth - 1);
    }
    case kq::platform::HitColumnFieldArea:
        return dc().columnFields()->itemByPosition(hitRec.column);
    case kq::platform::HitRowFieldArea:
        return dc().rowFields()->itemByPosition(hitRec.row);
    case kq::platform::HitPageFieldArea:
        return dc().pageFields()->itemByPosition(hitRec.column);
    default:
        return nullptr;
    }
}

bool DynamiCubeHelperMethods::ContainsField(const QString &fieldName) const
{
    const auto all = dc().fields()->all();
    return std::any_of(all.begin(), all.end(),
                       [&](const CubeField *f) { return f->name() == fieldName; });
}

void DynamiCubeHelperMethods::ClearFilters(const QString &fieldName)
{
    auto clear = [](CubeField *field) {
        for (CubeDataItem *item : field->dataItems()->all())
            item->setIncluded(true);
    };
    if (!fieldName.isEmpty()) {
        clear(required(dc().fields()->item(fieldName)));
        return;
    }
    for (CubeField *field : dc().fields()->all())
        clear(field);
}

void DynamiCubeHelperMethods::ToggleFilter(const QString &fieldName)
{
    for (CubeDataItem *item : required(dc().fields()->item(fieldName))->dataItems()->all())
        item->setIncluded(!item->included());
}

CubeDataItem *DynamiCubeHelperMethods::GetDataItem(const QString &fieldName,
                                                   const QString &dataItemName) const
{
    try {
        const CubeField *field = dc().fields()->item(fieldName);
        return field ? field->dataItems()->item(dataItemName) : nullptr;
    } catch (const std::exception &) {
        return nullptr;
    }
}

CubeField *DynamiCubeHelperMethods::GetFieldbyCaption(const QString &searchingCaption) const
{
    try {
        for (CubeField *field : dc().fields()->all()) {
            if (field->caption() == searchingCaption)
                return field;
        }
    } catch (const std::exception &) {
    }
    return nullptr;
}

int DynamiCubeHelperMethods::GetRowAreaWidth() const
{
    const CubeFields *rows = dc().rowFields();
    if (rows->count() == 0)
        return 0;
    const int levels = dc().displayedRowLevels();
    double total = 0;
    for (int position = 0; position < levels; ++position) {
        // Rounded half to even after each addition, as the control's width
        // arithmetic did.
        total = std::nearbyint(total + required(rows->itemByPosition(position))->width());
    }
    return int(total);
}

void DynamiCubeHelperMethods::DrillAhead(int eAxis)
{
    if (eAxis != ColumnAxis) {
        const CubeFields *rows = dc().rowFields();
        if (rows->count() < 2)
            return Dialogs::beep();
        const int levels = dc().displayedRowLevels();
        if (levels - 1 == rows->count() - 1)
            return Dialogs::beep();
        required(rows->itemByPosition(levels - 1))->setExpanded(true);
        return;
    }
    const CubeFields *columns = dc().columnFields();
    if (columns->count() < 2)
        return Dialogs::beep();
    const int levels = dc().displayedColumnLevels();
    if (levels == 0)
        return Dialogs::beep();
    // The data-field caption level counts among the displayed levels.
    const int k = GetVisibleDataFieldCount() > 1 ? levels - 2 : levels - 1;
    if (k == columns->count() - 1)
        return Dialogs::beep();
    required(columns->itemByPosition(k))->setExpanded(true);
}

void DynamiCubeHelperMethods::DrillBack(int eAxis)
{
    const bool rowAxis = eAxis != ColumnAxis;
    const CubeFields *axis = rowAxis ? dc().rowFields() : dc().columnFields();
    if (axis->count() < 2)
        return Dialogs::beep();
    int deepest = 0;
    if (rowAxis) {
        for (int r = 0; r < dc().rowCount(); r = dc().nextRow(r))
            deepest = std::max(deepest, dc().rowHeadingDepth(r));
    } else {
        for (int c = 0; c < dc().columnCount(); c = dc().nextColumn(c))
            deepest = std::max(deepest, dc().columnHeadingDepth(c));
    }
    int k = 0;
    if (rowAxis) {
        k = deepest - 2;
        if (k < 0)
            return Dialogs::beep();
    } else {
        if (deepest == 0)
            return Dialogs::beep();
        if (GetVisibleDataFieldCount() > 1) {
            k = deepest - 3;
            if (k < 0)
                return Dialogs::beep();
        } else {
            k = deepest - 2; // at -1 no field matches and nothing changes
        }
    }
    for (int i = 0; i < axis->count(); ++i) {
        CubeField *field = axis->item(i);
        if (field->position() == k) {
            field->setExpanded(false);
            return;
        }
    }
}

void DynamiCubeHelperMethods::CollapseCube()
{
    SetExpanded(false, QString());
}

void DynamiCubeHelperMethods::ExpandCube()
{
    SetExpanded(true, QString());
}

void DynamiCubeHelperMethods::ExpandField(const QString &fieldName)
{
    SetExpanded(true, fieldName);
}

void DynamiCubeHelperMethods::CollapseField(const QString &fieldName)
{
    SetExpanded(false, fieldName);
}

int DynamiCubeHelperMethods::Find(CubeField *fieldObject, const QString &textToFind,
                                  bool showResultsOnRow)
{
    required(fieldObject);
    auto matches = [&](const CubeDataItem *item) {
        return item->caption().contains(textToFind, Qt::CaseInsensitive);
    };
    const auto items = fieldObject->dataItems()->all();
    if (std::none_of(items.begin(), items.end(), matches))
        return 0;
    ClearFilters(fieldObject->name());
    int found = 0;
    for (CubeDataItem *item : items) {
        const bool match = matches(item);
        item->setIncluded(match);
        if (match)
            ++found;
    }
    if (showResultsOnRow) {
        for (CubeField *field : dc().fields()->all()) {
            if (field->name() == fieldObject->name())
                field->setOrientation(kq::platform::OrientRow);
            else if (field->orientation() == kq::platform::OrientColumn
                     || field->orientation() == kq::platform::OrientRow)
                field->setOrientation(kq::platform::OrientPage);
        }
    }
    return found;
}

namespace {

bool isListOrCombo(QObject *ctrl)
{
    return qobject_cast<QListWidget *>(ctrl) || qobject_cast<QComboBox *>(ctrl);
}

void invalidControl()
{
    Dialogs::message(QStringLiteral("Control must be of type combobox or listbox."),
                     QStringLiteral("Invalid Control Type"), kq::platform::Buttons::Ok,
                     kq::platform::Icon::Critical);
}

void clearControl(QObject *ctrl)
{
    if (auto *list = qobject_cast<QListWidget *>(ctrl))
        list->clear();
    else if (auto *combo = qobject_cast<QComboBox *>(ctrl))
        combo->clear();
}

void addEntry(QObject *ctrl, const QString &caption, int itemData)
{
    if (auto *list = qobject_cast<QListWidget *>(ctrl)) {
        auto *item = new QListWidgetItem(caption, list);
        item->setData(Qt::UserRole, itemData);
    } else if (auto *combo = qobject_cast<QComboBox *>(ctrl)) {
        combo->addItem(caption, itemData);
    }
}

// Item data of the selected entry; -1 when none is selected.
int selectedItemData(QObject *ctrl)
{
    if (auto *list = qobject_cast<QListWidget *>(ctrl)) {
        const QListWidgetItem *item = list->currentItem();
        return item ? item->data(Qt::UserRole).toInt() : -1;
    }
    if (auto *combo = qobject_cast<QComboBox *>(ctrl)) {
        return combo->currentIndex() < 0 ? -1 : combo->currentData().toInt();
    }
    return -1;
}

} // namespace

void DynamiCubeHelperMethods::FillListOrComboWithAxisFields(QObject *ctrl)
{
    if (!isListOrCombo(ctrl))
        return invalidControl();
    clearControl(ctrl);
    const CubeFields *all = dc().fields();
    for (int i = 0; i < all->count(); ++i) {
        const int o = all->item(i)->orientation();
        if (o == kq::platform::OrientPage || o == kq::platform::OrientColumn
            || o == kq::platform::OrientRow)
            addEntry(ctrl, all->item(i)->caption(), i);
    }
}

CubeField *DynamiCubeHelperMethods::GetAxisFieldFromListOrCombo(QObject *ctrl) const
{
    if (!isListOrCombo(ctrl))
        return nullptr;
    const int index = selectedItemData(ctrl);
    return index < 0 ? nullptr : dc().fields()->item(index);
}

void DynamiCubeHelperMethods::FillListOrComboWithDataFields(QObject *ctrl)
{
    if (!isListOrCombo(ctrl))
        return invalidControl();
    clearControl(ctrl);
    const CubeFields *data = dc().dataFields();
    for (int i = 0; i < data->count(); ++i)
        addEntry(ctrl, data->item(i)->caption(), i);
}

CubeField *DynamiCubeHelperMethods::GetDataFieldFromListOrCombo(QObject *ctrl) const
{
    if (!isListOrCombo(ctrl))
        return nullptr;
    const int index = selectedItemData(ctrl);
    return index < 0 ? nullptr : dc().dataFields()->item(index);
}

CubeDataItem *DynamiCubeHelperMethods::GetDataItemFromHitRecord(const CubeHitRecord &hitRec) const
{
    if (hitRec.area != kq::platform::HitColumnHeadings
        && hitRec.area != kq::platform::HitRowHeadings)
        return nullptr;
    CubeField *field = GetFieldFromHitRecord(hitRec);
    if (!field
        || (field->orientation() != kq::platform::OrientColumn
            && field->orientation() != kq::platform::OrientRow))
        return nullptr;
    const QString caption = GetHeadingFromPoint(field->name(), hitRec.row, hitRec.column);
    return GetDataItemFromCaption(field, caption);
}

CubeDataItem *DynamiCubeHelperMethods::GetDataItemFromCaption(CubeField *fieldObject,
                                                              const QString &dataitemCaption) const
{
    for (CubeDataItem *item : required(fieldObject)->dataItems()->all()) {
        if (item->caption() == dataitemCaption)
            return item;
    }
    return nullptr;
}

void DynamiCubeHelperMethods::SetExpanded(bool flag, const QString &fieldName)
{
    if (!fieldName.isEmpty()) {
        required(dc().fields()->item(fieldName))->setExpanded(flag);
        return;
    }
    const CubeFields *all = dc().fields();
    for (int i = 0; i < all->count(); ++i)
        all->item(i)->setExpanded(flag);
}

} // namespace kq::cube
