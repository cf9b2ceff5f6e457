#pragma once

#include "cube/model/cubetypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>

namespace kq::platform {

class CubeModel;
class CubeField;

// One member of a dimension field. name is the member's own text (its value
// formatted as the cube shows it: dates dd/MM/yyyy in the locale, numbers
// plainly), value is its key text (the raw value: "3", "2024-05-01"); caption
// is what the headings show (the name until set). included = false filters the
// member's source rows out of every cell and total.
class CubeDataItem
{
public:
    QString name() const { return m_name; }
    QString value() const { return m_value; }
    QVariant rawValue() const { return m_raw; }
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool included() const { return m_included; }
    void setIncluded(bool included);
    CubeField *field() const { return m_field; }
    // Index in the field's data-item collection (0-based, label order).
    int index() const { return m_index; }

private:
    friend class CubeModel;
    friend class CubeField;
    CubeField *m_field = nullptr;
    QString m_name;
    QString m_value;
    QVariant m_raw;
    QString m_caption;
    bool m_included = true;
    int m_index = 0;
};

// The members of one dimension field, in label order (the typed value:
// numbers and dates in their order, texts in the Portuguese text order).
// Look-up by name ignores case.
class CubeDataItems
{
public:
    int count() const { return int(m_items.size()); }
    CubeDataItem *item(int index) const;           // null when out of range
    CubeDataItem *item(const QString &name) const; // null when none
    CubeDataItem *itemByValue(const QString &value) const;
    QList<CubeDataItem *> all() const;

private:
    friend class CubeModel;
    friend class CubeField;
    QVector<CubeDataItem *> m_items;
};

// A field of the cube: a dimension (orientation 1 column, 2 row, 4 page, 0
// hidden) or a data field (3). Every setter marks the layout dirty: the model
// lays itself out again before the next query (when auto data refresh is on)
// or at rebuild().
class CubeField
{
public:
    ~CubeField();

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // The expression name: the key of look-ups and of calculated expressions.
    QString name() const { return m_name; }
    void setName(const QString &name);
    // Source expression: a column of the record source (bracketed or
    // table-qualified, case-insensitive) or datepart("yyyy"|"q"|"m"|"ww"|"d"|
    // "w"|"y", column) with ' or " quotes.
    QString source() const { return m_source; }
    void setSource(const QString &source);

    int orientation() const { return m_orientation; }
    // Moves the field to the end of the new area (no-op when unchanged).
    void setOrientation(int orientation);
    // 0-based place in its area (display order). Setting it moves the field:
    // it is taken out and inserted at the new place, the others shift.
    int position() const;
    void setPosition(int position);
    // Index in its orientation's collection (0-based, stable order of adding).
    int index() const;
    // Index in the collection of all fields (0-based).
    int fieldIndex() const;
    // Data fields: 1-based number kept for the field's life (0 is reserved
    // for "by labels" in rankDataField). Dimensions: 0.
    int dataIndex() const { return m_dataIndex; }

    QString numberFormat() const { return m_numberFormat; }
    void setNumberFormat(const QString &format);
    int aggregate() const { return m_aggregate; }
    void setAggregate(int aggregate);
    // A calculated data field: expression over the other data fields' names
    // (+ - * / parentheses, numbers, groupsum(name)); evaluated per cell on the
    // aggregated values. Division by zero gives an empty cell.
    bool calculated() const { return m_calculated; }
    void setCalculated(bool calculated);
    QString expression() const { return m_expression; }
    void setExpression(const QString &expression);
    // A numeric setting kept (and saved) with no effect on the cube.
    int opaqueSetting() const { return m_opaque; }
    void setOpaqueSetting(int value);

    // Totals after each group of this field (the outermost field's total is
    // the grand total). Kept with no effect on data fields.
    bool groupFooter() const { return m_groupFooter; }
    void setGroupFooter(bool on);
    QString totalCaption() const { return m_totalCaption; }
    void setTotalCaption(const QString &caption);
    // Whether the levels below this field are shown. Setting it resets the
    // field's per-heading overrides.
    bool expanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    // Data fields: shown in the cells. Hidden ones are still computed.
    bool shown() const { return m_shown; }
    void setShown(bool shown);
    // Width of the field's heading column in pixels.
    float width() const { return m_width; }
    void setWidth(float width);

    int sortType() const { return m_sortType; }
    void setSortType(int sortType);
    // dataIndex of the data field that ranks the members; 0 = by labels.
    int rankDataField() const { return m_rankDataField; }
    void setRankDataField(int dataIndex);
    // 1 = labels in descending order.
    int labelDescending() const { return m_labelDescending; }
    void setLabelDescending(int descending);

    // Total kind and expression of this dimension for the calculated field
    // calcName (kind 4 = expression, evaluated on the group's sums).
    void setTotalExpression(const QString &calcName, int kind, const QString &expression);
    int totalKind(const QString &calcName) const;
    QString totalExpression(const QString &calcName) const;

    // Members of a dimension (empty until the cube has been built).
    CubeDataItems *dataItems() { return &m_items; }
    const CubeDataItems *dataItems() const { return &m_items; }
    // True when some member is filtered out.
    bool filtered() const;

    CubeModel *model() const { return m_model; }
    bool isDataField() const { return m_orientation == OrientData; }

private:
    friend class CubeModel;
    friend class CubeDataItem;
    explicit CubeField(CubeModel *model);
    void changed(bool structural = true);

    CubeModel *m_model = nullptr;
    QString m_caption;
    QString m_name;
    QString m_source;
    int m_orientation = OrientHidden;
    int m_dataIndex = 0;
    QString m_numberFormat;
    int m_aggregate = AggSum;
    bool m_calculated = false;
    QString m_expression;
    int m_opaque = 0;
    bool m_groupFooter = true;
    QString m_totalCaption = QStringLiteral("Total");
    bool m_expanded = true;
    bool m_shown = true;
    float m_width = 100.0f;
    int m_sortType = SortLabel;
    int m_rankDataField = 0;
    int m_labelDescending = 0;
    QHash<QString, QPair<int, QString>> m_totalExpr; // by calculated field name (lower case)
    CubeDataItems m_items;
    int m_excluded = 0;                                // members filtered out
    QHash<QString, bool> m_memberExpanded;             // per-heading overrides, by member path
    QHash<QString, QPair<QString, bool>> m_savedItems; // from a file: value -> caption, included
};

// A view of the model's fields: all of them, or those of one orientation.
// Indices are 0-based in the stable order of adding; itemByPosition gives
// the field standing at that place of its area. Look-up by name ignores case
// (names are unique without regard to case).
class CubeFields
{
public:
    int count() const;
    CubeField *item(int index) const;           // null when out of range
    CubeField *item(const QString &name) const; // null when none
    CubeField *itemByPosition(int position) const;
    QList<CubeField *> all() const;        // index order
    QList<CubeField *> byPosition() const; // display order
    // Adds a field to the cube (any collection adds to the whole cube; the
    // orientation decides where it stands). Name defaults to the source.
    CubeField *add(const QString &source, const QString &caption, int orientation);
    // Removes every field of this collection from the cube.
    void removeAll();

private:
    friend class CubeModel;
    CubeFields(CubeModel *model, int orientation)
        : m_model(model)
        , m_orientation(orientation)
    {}
    CubeModel *m_model;
    int m_orientation; // -1 = all fields
};

} // namespace kq::platform
