#include "cube/model/cubefield.h"

#include "cube/model/cubemodel.h"
#include "cube/model/cubemodel_p.h"

namespace kq::platform {

// --- CubeDataItem --------------------------------------------------------

void CubeDataItem::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    if (m_field)
        m_field->changed(false);
}

void CubeDataItem::setIncluded(bool included)
{
    if (m_included == included)
        return;
    m_included = included;
    if (m_field)
        m_field->m_excluded += included ? -1 : 1;
    if (m_field)
        m_field->changed(true);
}

// --- CubeDataItems -------------------------------------------------------

CubeDataItem *CubeDataItems::item(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

CubeDataItem *CubeDataItems::item(const QString &name) const
{
    for (CubeDataItem *i : m_items) {
        if (i->name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return nullptr;
}

CubeDataItem *CubeDataItems::itemByValue(const QString &value) const
{
    for (CubeDataItem *i : m_items) {
        if (i->value() == value)
            return i;
    }
    return nullptr;
}

QList<CubeDataItem *> CubeDataItems::all() const
{
    return QList<CubeDataItem *>(m_items.begin(), m_items.end());
}

// --- CubeField -----------------------------------------------------------

CubeField::CubeField(CubeModel *model)
    : m_model(model)
{}

CubeField::~CubeField()
{
    qDeleteAll(m_items.m_items);
}

void CubeField::changed(bool structural)
{
    if (m_model)
        m_model->invalidate(structural);
}

void CubeField::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    changed(false);
}

void CubeField::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    changed(true);
}

void CubeField::setSource(const QString &source)
{
    if (m_source == source)
        return;
    m_source = source;
    if (m_model)
        m_model->d->fieldSourceChanged(this);
    changed(true);
}

void CubeField::setOrientation(int orientation)
{
    if (orientation < OrientHidden || orientation > OrientPage || orientation == m_orientation)
        return;
    if (m_model)
        m_model->d->moveToArea(this, orientation);
    else
        m_orientation = orientation;
    changed(true);
}

int CubeField::position() const
{
    return m_model ? m_model->d->order[m_orientation].indexOf(const_cast<CubeField *>(this)) : 0;
}

void CubeField::setPosition(int position)
{
    if (!m_model)
        return;
    auto &order = m_model->d->order[m_orientation];
    const int from = order.indexOf(this);
    const int to = qBound(0, position, int(order.size()) - 1);
    if (from < 0 || from == to)
        return;
    order.move(from, to);
    changed(true);
}

int CubeField::index() const
{
    if (!m_model)
        return -1;
    int i = 0;
    for (CubeField *f : m_model->d->fields) {
        if (f == this)
            return i;
        if (f->m_orientation == m_orientation)
            ++i;
    }
    return -1;
}

int CubeField::fieldIndex() const
{
    return m_model ? m_model->d->fields.indexOf(const_cast<CubeField *>(this)) : -1;
}

void CubeField::setNumberFormat(const QString &format)
{
    if (m_numberFormat == format)
        return;
    m_numberFormat = format;
    changed(false);
}

void CubeField::setAggregate(int aggregate)
{
    if (m_aggregate == aggregate)
        return;
    m_aggregate = aggregate;
    changed(true);
}

void CubeField::setCalculated(bool calculated)
{
    if (m_calculated == calculated)
        return;
    m_calculated = calculated;
    changed(true);
}

void CubeField::setExpression(const QString &expression)
{
    if (m_expression == expression)
        return;
    m_expression = expression;
    changed(true);
}

void CubeField::setOpaqueSetting(int value)
{
    m_opaque = value;
}

void CubeField::setGroupFooter(bool on)
{
    if (m_groupFooter == on)
        return;
    m_groupFooter = on;
    changed(false);
}

void CubeField::setTotalCaption(const QString &caption)
{
    if (m_totalCaption == caption)
        return;
    m_totalCaption = caption;
    changed(false);
}

void CubeField::setExpanded(bool expanded)
{
    const bool had = !m_memberExpanded.isEmpty();
    m_memberExpanded.clear();
    if (m_expanded == expanded && !had)
        return;
    m_expanded = expanded;
    changed(false);
}

void CubeField::setShown(bool shown)
{
    if (m_shown == shown)
        return;
    m_shown = shown;
    changed(false);
    if (m_model && m_orientation == OrientData)
        emit m_model->dataFieldShownChanged(position());
}

void CubeField::setWidth(float width)
{
    if (m_width == width)
        return;
    m_width = width;
    if (m_model)
        emit m_model->invalidated(); // a repaint; the layout stays
}

void CubeField::setSortType(int sortType)
{
    if (m_sortType == sortType)
        return;
    m_sortType = sortType;
    changed(false);
}

void CubeField::setRankDataField(int dataIndex)
{
    if (m_rankDataField == dataIndex)
        return;
    m_rankDataField = dataIndex;
    changed(false);
}

void CubeField::setLabelDescending(int descending)
{
    if (m_labelDescending == descending)
        return;
    m_labelDescending = descending;
    changed(false);
}

void CubeField::setTotalExpression(const QString &calcName, int kind, const QString &expression)
{
    m_totalExpr.insert(calcName.toLower(), {kind, expression});
    changed(false);
}

int CubeField::totalKind(const QString &calcName) const
{
    return m_totalExpr.value(calcName.toLower(), {TotalDefault, QString()}).first;
}

QString CubeField::totalExpression(const QString &calcName) const
{
    return m_totalExpr.value(calcName.toLower()).second;
}

bool CubeField::filtered() const
{
    return m_excluded > 0;
}

// --- CubeFields ----------------------------------------------------------

QList<CubeField *> CubeFields::all() const
{
    QList<CubeField *> out;
    for (CubeField *f : m_model->d->fields) {
        if (m_orientation < 0 || f->orientation() == m_orientation)
            out.append(f);
    }
    return out;
}

QList<CubeField *> CubeFields::byPosition() const
{
    if (m_orientation < 0)
        return all();
    const auto &o = m_model->d->order[m_orientation];
    return QList<CubeField *>(o.begin(), o.end());
}

int CubeFields::count() const
{
    if (m_orientation < 0)
        return int(m_model->d->fields.size());
    return int(m_model->d->order[m_orientation].size());
}

CubeField *CubeFields::item(int index) const
{
    const QList<CubeField *> list = all();
    return index >= 0 && index < list.size() ? list.at(index) : nullptr;
}

CubeField *CubeFields::item(const QString &name) const
{
    for (CubeField *f : all()) {
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    return nullptr;
}

CubeField *CubeFields::itemByPosition(int position) const
{
    const QList<CubeField *> list = byPosition();
    return position >= 0 && position < list.size() ? list.at(position) : nullptr;
}

CubeField *CubeFields::add(const QString &source, const QString &caption, int orientation)
{
    return m_model->addField(source, caption, orientation);
}

void CubeFields::removeAll()
{
    if (m_orientation < 0) {
        m_model->removeAllFields();
        return;
    }
    for (CubeField *f : all())
        m_model->removeField(f);
}

} // namespace kq::platform
