#pragma once

#include "platform/grid/gridtypes.h"

#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>

namespace kq::platform {

class GridEXPrivate;

// One designed column of a GridEX. Columns are numbered from 1 in designed
// order, hidden columns included; the display position is separate. A column
// is owned by its grid: get it with GridEX::column(index) and set it in place.
// Every setter takes effect at once.
class GridColumn
{
public:
    int index() const { return m_index; }

    // The key names the column in layout files (default: the bound field).
    QString key() const { return m_key.isEmpty() ? m_field : m_key; }
    void setKey(const QString &key);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // Bound field of the record source, matched without regard to case. An
    // empty field makes an unbound column that shows nothing.
    QString field() const { return m_field; }
    void setField(const QString &field);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    // Display position from 1 among all columns (hidden ones keep theirs).
    // Setting a position shifts the columns between the old and new place.
    int position() const;
    void setPosition(int position);

    // Width in pixels.
    int width() const { return m_width; }
    void setWidth(int pixels);

    // A format name of formatValue(): "0.00", "Currency", "000",
    // "dd/mm/yyyy", "YYYY/MM", "mm/YYYY"; empty shows the plain value. Date
    // formats accept ISO text ("2024-03-05") as stored by the database.
    QString format() const { return m_format; }
    void setFormat(const QString &format);

    // Cell alignment; default left, right for number formats.
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);

    // Aggregate shown in group rows and the total row.
    Aggregate aggregate() const { return m_aggregate; }
    void setAggregate(Aggregate aggregate);
    // Format name of the summed figures of group rows and the total row;
    // empty: the cells' own format.
    QString aggregateFormat() const { return m_aggregateFormat; }
    void setAggregateFormat(const QString &format);

    // Shows the value as a check box (non-zero / "true" is ticked).
    bool isCheckBox() const { return m_checkBox; }
    void setCheckBox(bool on);

    // Editable in place; edits are written with GridEX::setUpdateTable.
    bool isEditable() const { return m_editable; }
    void setEditable(bool on);

    // A drop-down list: the cell holds the code and shows its description;
    // a code the list lacks shows no description.
    // The codes and descriptions are the drop-down grid's value and display
    // columns (GridEX::setDropDownColumns; default columns 1 and 2), read again
    // whenever that grid is refreshed. nullptr removes the drop-down.
    void setDropDown(GridEX *dropDownGrid);
    GridEX *dropDown() const { return m_dropDown; }
    // A fixed list of (code, description) pairs instead of a grid.
    void setDropDownItems(const QVector<QPair<QVariant, QString>> &items);
    bool hasDropDown() const;

private:
    friend class GridEX;
    friend class GridModel;
    GridColumn(GridEXPrivate *d, int index)
        : m_d(d)
        , m_index(index)
    {}
    void changed(bool structure = false);

    GridEXPrivate *m_d;
    int m_index;
    QString m_key;
    QString m_caption;
    QString m_field;
    bool m_visible = true;
    int m_width = 100;
    QString m_format;
    Qt::Alignment m_alignment;
    bool m_alignmentSet = false;
    Aggregate m_aggregate = Aggregate::None;
    QString m_aggregateFormat;
    bool m_checkBox = false;
    bool m_editable = false;
    QPointer<GridEX> m_dropDown;
    QVector<QPair<QVariant, QString>> m_dropDownItems;
};

} // namespace kq::platform
