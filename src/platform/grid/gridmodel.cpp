#include "platform/grid/gridmodel.h"

#include "platform/grid/gridex.h"
#include "platform/grid/gridex_p.h"
#include "platform/grid/gridrow.h"
#include "platform/grid/gridview.h"
#include "platform/dialogs.h"
#include "core/format.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace kq::platform {

bool checkBoxChecked(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString) {
        const QString s = value.toString().trimmed().toLower();
        return s == QLatin1String("true") || s == QLatin1String("sim") || s.toDouble() != 0;
    }
    return value.toDouble() != 0;
}

namespace {

constexpr int kFirstRows = 2000; // read at once by load()
constexpr int kChunkMs = 30;     // background reading per event-loop turn
constexpr int kReadRows = 1024;  // rows read between looks at the clock

bool isIsoDate(const QString &s)
{
    if (s.size() != 10 || s[4] != QLatin1Char('-') || s[7] != QLatin1Char('-'))
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!s[i].isDigit())
            return false;
    }
    return true;
}

} // namespace

GridModel::GridModel(GridEXPrivate *d)
    : QAbstractItemModel(d->q)
    , m_grid(d->q)
    , m_d(d)
    , m_groupFore(Qt::black)
    , m_groupBack(QColor(224, 224, 224))
{}

GridModel::~GridModel() = default;

// ---- loading ----------------------------------------------------------

void GridModel::load(std::unique_ptr<RowReader> reader, const QStringList &fields,
                     const QVector<int> &queryColumns)
{
    reader->setColumns(queryColumns);
    GridStore store;
    store.fields = fields;
    store.data.resize(fields.size());
    const bool readAll = isGrouped() || m_sortColumn > 0;
    bool done = false;
    int n = 0;
    while (readAll || n < kFirstRows) {
        const int want = readAll ? kReadRows : kFirstRows - n;
        const int got = reader->read(store.data, want);
        n += got;
        if (got < want) {
            done = true;
            break;
        }
    }
    store.rows = n;
    store.read = n;
    beginResetModel();
    m_store = std::move(store);
    m_reader = done ? nullptr : std::move(reader);
    m_fetchScheduled = false;
    setColumnSlots();
    buildStructure();
    m_recStyle.assign(m_store.rows, -2);
    endResetModel();
    if (m_reader)
        scheduleFetch();
}

void GridModel::scheduleFetch() const
{
    if (m_fetchScheduled || !m_reader)
        return;
    m_fetchScheduled = true;
    RowReader *expected = m_reader.get();
    QTimer::singleShot(0, const_cast<GridModel *>(this), [this, expected] {
        m_fetchScheduled = false;
        if (m_reader.get() != expected)
            return;
        try {
            fetchChunk(kChunkMs);
        } catch (const GridError &e) {
            Dialogs::message(e.description(), QString(), Buttons::Ok, Icon::Critical);
            return;
        }
        if (m_reader)
            scheduleFetch();
    });
}

void GridModel::dropRows() const
{
    auto *self = const_cast<GridModel *>(this);
    m_reader.reset();
    self->beginResetModel();
    GridStore empty;
    empty.fields = m_store.fields;
    empty.data.resize(m_store.fields.size());
    m_store = std::move(empty);
    m_recStyle.clear();
    m_totalSumsRows = -1;
    self->buildStructure();
    self->endResetModel();
}

void GridModel::fetchChunk(int maxMs) const
{
    if (m_reader) {
        QElapsedTimer timer;
        timer.start();
        int n = 0;
        while (true) {
            int got = 0;
            try {
                got = m_reader->read(m_store.data, kReadRows);
            } catch (const GridError &) {
                // The rows read so far are not the list: none is shown.
                dropRows();
                throw;
            }
            n += got;
            if (got < kReadRows) {
                m_reader.reset();
                break;
            }
            if (maxMs >= 0 && timer.elapsed() >= maxMs)
                break;
        }
        m_store.read += n;
    }
    // Every announcement makes the view lay all its rows out again and
    // repaint, so rows are announced in steps that grow with the rows shown
    // (three times as many): a few layouts in all instead of one per chunk.
    // The last rows,
    // a read of everything, and rows the user has scrolled down to are
    // announced at once.
    const int pending = m_store.read - m_store.rows;
    if (pending > 0
        && (!m_reader || maxMs < 0 || pending >= qMax(kFirstRows, 3 * m_store.rows)
            || lastRowInView()))
        showReadRows();
}

bool GridModel::lastRowInView() const
{
    const QScrollBar *bar = m_d->view ? m_d->view->verticalScrollBar() : nullptr;
    return bar && m_grid->isVisible() && bar->maximum() > 0 && bar->value() == bar->maximum();
}

void GridModel::showReadRows() const
{
    auto *self = const_cast<GridModel *>(this);
    const int first = m_store.rows;
    const int last = m_store.read - 1;
    if (last < first)
        return;
    self->beginInsertRows(QModelIndex(), first, last);
    m_store.rows = last + 1;
    m_recStyle.resize(m_store.rows, -2);
    m_totalSumsRows = -1;
    self->endInsertRows();
    emit self->fetchedMore();
}

void GridModel::fetchAll() const
{
    while (m_reader)
        fetchChunk(-1);
}

void GridModel::setColumnSlots()
{
    const int count = m_grid->columnCount();
    m_colSlot.resize(count);
    m_aggColumns.clear();
    for (int c = 1; c <= count; ++c) {
        const GridColumn &col = m_grid->column(c);
        m_colSlot[c - 1] = col.field().isEmpty() ? -1 : m_store.slotOf(col.field());
        if (col.aggregate() != Aggregate::None)
            m_aggColumns.append(c);
    }
    m_totalSumsRows = -1;
}

int GridModel::slotOfColumn(int column) const
{
    if (column < 1 || column > m_colSlot.size())
        return -1;
    return m_colSlot[column - 1];
}

int GridModel::recordCount() const
{
    return m_store.rows;
}

QVariant GridModel::recordValue(int record, int column) const
{
    const int slot = slotOfColumn(column);
    if (slot < 0 || record < 0 || record >= m_store.rows)
        return QVariant();
    return m_store.data[slot].value(record);
}

QString GridModel::recordText(int record, int column) const
{
    return displayText(column, recordValue(record, column));
}

void GridModel::setRecordValue(int record, int column, const QVariant &value)
{
    const int slot = slotOfColumn(column);
    if (slot < 0 || record < 0 || record >= m_store.rows)
        return;
    m_store.data[slot].setValue(record, value);
    m_totalSumsRows = -1;
    if (record < int(m_recStyle.size()))
        m_recStyle[record] = -2;
}

QString GridModel::displayText(int column, const QVariant &value) const
{
    if (!value.isValid() || value.isNull() || column < 1 || column > m_grid->columnCount())
        return QString();
    const GridColumn &col = m_grid->column(column);
    if (col.hasDropDown()) {
        if (col.m_dropDown)
            return col.m_dropDown->dropDownText(value);
        const QString code = value.toString();
        for (const auto &item : col.m_dropDownItems) {
            if (item.first.toString().compare(code, Qt::CaseInsensitive) == 0)
                return item.second;
        }
        return QString();
    }
    if (!col.format().isEmpty())
        return formatValue(value, col.format());
    if (value.metaType().id() == QMetaType::QString) {
        const QString s = value.toString();
        if (isIsoDate(s)) {
            const QDate d = QDate::fromString(s, Qt::ISODate);
            if (d.isValid())
                return formatDate(d);
        }
        return s;
    }
    return formatValue(value, QString());
}

QString GridModel::previewText(int record) const
{
    const int c = m_grid->previewColumn();
    if (c <= 0)
        return QString();
    return recordText(record, c);
}

// ---- order and groups -------------------------------------------------

void GridModel::setSort(int column, SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    rebuild();
}

void GridModel::setGroups(const QVector<GroupKey> &groups)
{
    m_groupKeys = groups;
    rebuild();
}

void GridModel::setTotalRow(bool on)
{
    if (m_totalRow == on)
        return;
    beginResetModel();
    m_totalRow = on;
    endResetModel();
}

bool GridModel::hasTotalRow() const
{
    return m_totalRow && !m_aggColumns.isEmpty();
}

void GridModel::rebuild()
{
    // Sorted or grouped rows need them all, read before the reset (a failure
    // of the reading empties the list).
    if (m_sortColumn > 0 || !m_groupKeys.isEmpty())
        fetchAll();
    beginResetModel();
    setColumnSlots();
    buildStructure();
    invalidateFormats();
    endResetModel();
}

void GridModel::buildStructure()
{
    m_groups.clear();
    m_topGroups.clear();
    m_groupSums.clear();
    if (m_sortColumn <= 0 && m_groupKeys.isEmpty()) {
        m_order.clear();
        return;
    }
    fetchAll();
    const int n = m_store.rows;
    // Sort keys: the group columns, then the sort column; a descending key is
    // negated so that one ascending comparison serves.
    std::vector<std::vector<double>> keys;
    auto addKey = [&](int column, SortOrder order) {
        std::vector<double> k(n, 0.0);
        const int slot = slotOfColumn(column);
        if (slot >= 0) {
            const FieldData &f = m_store.data[slot];
            for (int r = 0; r < n; ++r)
                k[r] = f.sortKey(r);
            if (order == SortOrder::Descending) {
                for (double &v : k)
                    v = -v;
            }
        }
        keys.push_back(std::move(k));
    };
    for (const GroupKey &g : m_groupKeys)
        addKey(g.column, g.order);
    if (m_sortColumn > 0)
        addKey(m_sortColumn, m_sortOrder);

    m_order.resize(n);
    std::iota(m_order.begin(), m_order.end(), 0);
    std::stable_sort(m_order.begin(), m_order.end(), [&keys](int a, int b) {
        for (const auto &k : keys) {
            if (k[a] < k[b])
                return true;
            if (k[b] < k[a])
                return false;
        }
        return false;
    });

    const int levels = int(m_groupKeys.size());
    if (levels == 0)
        return;
    int flat = 0;
    int pos = 0;
    const auto &k0 = keys[0];
    while (pos < n) {
        const int g0 = int(m_groups.size());
        Group top;
        top.level = 0;
        top.rowInParent = int(m_topGroups.size());
        top.flatRow = flat++;
        top.firstPos = pos;
        m_groups.append(top);
        m_topGroups.append(g0);
        const double key0 = k0[m_order[pos]];
        int end0 = pos;
        while (end0 < n && k0[m_order[end0]] == key0)
            ++end0;
        if (levels > 1) {
            const auto &k1 = keys[1];
            int p = pos;
            while (p < end0) {
                const double key1 = k1[m_order[p]];
                int end1 = p;
                while (end1 < end0 && k1[m_order[end1]] == key1)
                    ++end1;
                Group sub;
                sub.level = 1;
                sub.parent = g0;
                sub.rowInParent = int(m_groups[g0].children.size());
                sub.flatRow = flat++;
                sub.firstPos = p;
                sub.count = end1 - p;
                m_groups[g0].children.append(int(m_groups.size()));
                m_groups.append(sub);
                flat += end1 - p;
                p = end1;
            }
        } else {
            flat += end0 - pos;
        }
        m_groups[g0].count = end0 - pos;
        pos = end0;
    }
    computeSums();
}

void GridModel::computeSums()
{
    const int a = int(m_aggColumns.size());
    m_groupSums = QVector<double>(m_groups.size() * a, 0.0);
    if (a == 0)
        return;
    for (int g = 0; g < m_groups.size(); ++g) {
        if (!lastLevel(g))
            continue;
        const Group &grp = m_groups[g];
        for (int k = 0; k < a; ++k) {
            const int column = m_aggColumns[k];
            const int slot = slotOfColumn(column);
            if (slot < 0)
                continue;
            const FieldData &f = m_store.data[slot];
            const bool count = m_grid->column(column).aggregate() == Aggregate::Count;
            double sum = 0;
            for (int p = grp.firstPos; p < grp.firstPos + grp.count; ++p) {
                double v = 0;
                if (count)
                    sum += f.isNull(m_order[p]) ? 0 : 1;
                else if (f.number(m_order[p], &v))
                    sum += v;
            }
            m_groupSums[g * a + k] = sum;
            if (grp.parent >= 0)
                m_groupSums[grp.parent * a + k] += sum;
        }
    }
}

bool GridModel::lastLevel(int group) const
{
    return m_groups[group].level == m_groupKeys.size() - 1;
}

int GridModel::groupLevel(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].level + 1 : 0;
}

int GridModel::groupRecordCount(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].count : m_store.rows;
}

int GridModel::groupFirstPos(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].firstPos : 0;
}

int GridModel::groupParent(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].parent : -1;
}

QVector<int> GridModel::childGroups(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].children : QVector<int>();
}

int GridModel::recordAtPos(int pos) const
{
    return m_order.isEmpty() ? pos : m_order.value(pos, -1);
}

QVariant GridModel::groupValue(int group, int column) const
{
    if (group < 0 || group >= m_groups.size())
        return QVariant();
    const Group &g = m_groups[group];
    for (int l = 0; l <= g.level && l < m_groupKeys.size(); ++l) {
        if (m_groupKeys[l].column == column)
            return recordValue(recordAtPos(g.firstPos), column);
    }
    return QVariant();
}

double GridModel::groupSum(int group, int column) const
{
    const int k = m_aggColumns.indexOf(column);
    const bool sumAgg = k >= 0 && m_grid->column(column).aggregate() == Aggregate::Sum;
    if (group >= 0 && group < m_groups.size() && sumAgg)
        return m_groupSums.value(group * m_aggColumns.size() + k);
    const int slot = slotOfColumn(column);
    if (slot < 0)
        return 0.0;
    const FieldData &f = m_store.data[slot];
    double sum = 0;
    double v = 0;
    if (group >= 0 && group < m_groups.size()) {
        const Group &g = m_groups[group];
        for (int p = g.firstPos; p < g.firstPos + g.count; ++p) {
            if (f.number(m_order[p], &v))
                sum += v;
        }
    } else {
        for (int r = 0; r < m_store.rows; ++r) {
            if (f.number(r, &v))
                sum += v;
        }
    }
    return sum;
}

QString GridModel::sumText(int group, int column) const
{
    const int k = m_aggColumns.indexOf(column);
    if (k < 0)
        return QString();
    const bool count = m_grid->column(column).aggregate() == Aggregate::Count;
    double value = 0;
    if (group >= 0 && group < m_groups.size()) {
        value = m_groupSums.value(group * m_aggColumns.size() + k);
    } else {
        if (m_totalSumsRows != m_store.rows) {
            m_totalSums = QVector<double>(m_aggColumns.size(), 0.0);
            for (int i = 0; i < m_aggColumns.size(); ++i) {
                const int c = m_aggColumns[i];
                if (m_grid->column(c).aggregate() == Aggregate::Sum) {
                    m_totalSums[i] = groupSum(-1, c);
                } else {
                    const int slot = slotOfColumn(c);
                    double n = 0;
                    for (int r = 0; slot >= 0 && r < m_store.rows; ++r)
                        n += m_store.data[slot].isNull(r) ? 0 : 1;
                    m_totalSums[i] = n;
                }
            }
            m_totalSumsRows = m_store.rows;
        }
        value = m_totalSums[k];
    }
    if (count)
        return QString::number(qint64(value));
    const QString &format = m_grid->column(column).aggregateFormat();
    if (!format.isEmpty())
        return formatValue(value, format);
    return displayText(column, value);
}

// ---- flat rows ----------------------------------------------------------

int GridModel::flatCount() const
{
    return int(m_groups.size()) + m_store.rows + (hasTotalRow() ? 1 : 0);
}

GridModel::Node GridModel::nodeAtFlat(int flat) const
{
    Node node;
    if (flat < 0 || flat >= flatCount())
        return Node{RowType::Record, -1, -1, -1};
    if (hasTotalRow() && flat == flatCount() - 1) {
        node.type = RowType::TotalRow;
        return node;
    }
    if (!isGrouped()) {
        node.pos = flat;
        node.record = recordAtPos(flat);
        return node;
    }
    auto it = std::upper_bound(m_groups.begin(), m_groups.end(), flat,
                               [](int f, const Group &g) { return f < g.flatRow; });
    const int g = int(it - m_groups.begin()) - 1;
    if (m_groups[g].flatRow == flat) {
        node.type = RowType::GroupHeader;
        node.group = g;
        return node;
    }
    node.pos = m_groups[g].firstPos + (flat - m_groups[g].flatRow - 1);
    node.record = recordAtPos(node.pos);
    return node;
}

GridModel::Node GridModel::nodeOf(const QModelIndex &index) const
{
    Node node;
    if (!index.isValid() || index.model() != this)
        return node;
    const quintptr id = index.internalId();
    const int row = index.row();
    if (id == 0) {
        const int top = isGrouped() ? int(m_topGroups.size()) : m_store.rows;
        if (row >= top) {
            node.type = RowType::TotalRow;
        } else if (isGrouped()) {
            node.type = RowType::GroupHeader;
            node.group = m_topGroups[row];
        } else {
            node.pos = row;
            node.record = recordAtPos(row);
        }
        return node;
    }
    const int g = int(id) - 1;
    if (lastLevel(g)) {
        node.pos = m_groups[g].firstPos + row;
        node.record = recordAtPos(node.pos);
    } else {
        node.type = RowType::GroupHeader;
        node.group = m_groups[g].children.value(row, -1);
    }
    return node;
}

int GridModel::flatOf(const Node &node) const
{
    switch (node.type) {
    case RowType::TotalRow:
        return hasTotalRow() ? flatCount() - 1 : -1;
    case RowType::GroupHeader:
        return node.group >= 0 && node.group < m_groups.size() ? m_groups[node.group].flatRow : -1;
    case RowType::Record:
        break;
    }
    if (node.pos < 0)
        return -1;
    if (!isGrouped())
        return node.pos;
    const int g = leafGroupOfPos(node.pos);
    if (g < 0)
        return -1;
    return m_groups[g].flatRow + 1 + (node.pos - m_groups[g].firstPos);
}

int GridModel::leafGroupOfPos(int pos) const
{
    // Groups are in depth-first order, so first positions never decrease and
    // a subgroup comes after the group that shares its first position: the
    // last group starting at or before pos is the deepest one holding it.
    auto it = std::upper_bound(m_groups.begin(), m_groups.end(), pos,
                               [](int p, const Group &g) { return p < g.firstPos; });
    return int(it - m_groups.begin()) - 1;
}

QModelIndex GridModel::indexOf(const Node &node, int column) const
{
    switch (node.type) {
    case RowType::TotalRow:
        if (!hasTotalRow())
            return {};
        return createIndex(rowCount() - 1, column, quintptr(0));
    case RowType::GroupHeader: {
        if (node.group < 0 || node.group >= m_groups.size())
            return {};
        const Group &g = m_groups[node.group];
        return createIndex(g.rowInParent, column, quintptr(g.parent + 1));
    }
    case RowType::Record:
        break;
    }
    if (node.pos < 0 || node.pos >= m_store.rows)
        return {};
    if (!isGrouped())
        return createIndex(node.pos, column, quintptr(0));
    const int g = leafGroupOfPos(node.pos);
    if (g < 0)
        return {};
    return createIndex(node.pos - m_groups[g].firstPos, column, quintptr(g + 1));
}

GridModel::Node GridModel::recordNode(int record) const
{
    Node node;
    if (record < 0 || record >= m_store.rows)
        return node;
    node.record = record;
    if (m_order.isEmpty()) {
        node.pos = record;
    } else {
        const auto it = std::find(m_order.begin(), m_order.end(), record);
        node.pos = it == m_order.end() ? -1 : int(it - m_order.begin());
    }
    return node;
}

// ---- QAbstractItemModel -------------------------------------------------

QModelIndex GridModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount() || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    const Node p = nodeOf(parent);
    if (p.type != RowType::GroupHeader)
        return {};
    return createIndex(row, column, quintptr(p.group + 1));
}

QModelIndex GridModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const int g = int(child.internalId()) - 1;
    if (g < 0 || g >= m_groups.size())
        return {};
    return createIndex(m_groups[g].rowInParent, 0, quintptr(m_groups[g].parent + 1));
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid()) {
        const int top = isGrouped() ? int(m_topGroups.size()) : m_store.rows;
        return top + (hasTotalRow() ? 1 : 0);
    }
    if (parent.column() != 0)
        return 0;
    const Node p = nodeOf(parent);
    if (p.type != RowType::GroupHeader || p.group < 0)
        return 0;
    return lastLevel(p.group) ? m_groups[p.group].count : int(m_groups[p.group].children.size());
}

int GridModel::columnCount(const QModelIndex &) const
{
    return m_grid->columnCount();
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column() + 1;
    const Node node = nodeOf(index);
    if (role == RowTypeRole)
        return int(node.type);
    if (role == GroupLevelRole)
        return groupLevel(node.group);
    const GridColumn &col = m_grid->column(column);
    if (node.type == RowType::GroupHeader || node.type == RowType::TotalRow) {
        const int g = node.type == RowType::GroupHeader ? node.group : -1;
        switch (role) {
        case Qt::DisplayRole:
            if (m_aggColumns.contains(column))
                return sumText(g, column);
            if (index.column() == 0)
                return g >= 0 ? groupCaption(g) : QStringLiteral("Total");
            return {};
        case Qt::TextAlignmentRole:
            return int(col.alignment() | Qt::AlignVCenter);
        case Qt::ForegroundRole: {
            const FormatStyle *s = g >= 0 ? style(groupStyleName(g)) : nullptr;
            return s && s->foreColor.isValid() ? s->foreColor : m_groupFore;
        }
        case Qt::BackgroundRole: {
            const FormatStyle *s = g >= 0 ? style(groupStyleName(g)) : nullptr;
            return s && s->backColor.isValid() ? s->backColor : m_groupBack;
        }
        default:
            return {};
        }
    }
    if (node.record < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (col.isCheckBox())
            return {};
        return recordText(node.record, column);
    case Qt::EditRole:
        return recordValue(node.record, column);
    case Qt::CheckStateRole: {
        if (!col.isCheckBox())
            return {};
        return checkBoxChecked(recordValue(node.record, column)) ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::TextAlignmentRole:
        return int(col.alignment() | Qt::AlignVCenter);
    case Qt::ForegroundRole: {
        const QColor c = rowForeground(index);
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::BackgroundRole: {
        const QColor c = rowBackground(index);
        return c.isValid() ? QVariant(c) : QVariant();
    }
    case Qt::FontRole: {
        const FormatStyle *s = style(recordStyleName(node.record));
        if (s && s->bold) {
            QFont f = m_grid->font();
            f.setBold(true);
            return f;
        }
        return {};
    }
    case StyleBoldRole: {
        const FormatStyle *s = style(recordStyleName(node.record));
        return s && s->bold;
    }
    case PreviewTextRole:
        return previewText(node.record);
    default:
        return {};
    }
}

QColor GridModel::rowForeground(const QModelIndex &index) const
{
    const Node node = nodeOf(index);
    if (node.type != RowType::Record)
        return m_groupFore;
    const FormatStyle *s = style(recordStyleName(node.record));
    return s ? s->foreColor : QColor();
}

QColor GridModel::rowBackground(const QModelIndex &index) const
{
    const Node node = nodeOf(index);
    if (node.type != RowType::Record)
        return m_groupBack;
    const FormatStyle *s = style(recordStyleName(node.record));
    if (s && s->backColor.isValid())
        return s->backColor;
    if (m_odd.isValid())
        return index.row() % 2 == 0 ? m_odd : m_even;
    return QColor();
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const Node node = nodeOf(index);
    if (node.type != RowType::Record || node.record < 0)
        return false;
    const int column = index.column() + 1;
    const GridColumn &col = m_grid->column(column);
    if (!col.isEditable())
        return false;
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        if (!col.isCheckBox())
            return false;
        // Yes/no fields are stored as 1 and 0 (a stored -1 still reads as ticked).
        v = value.toInt() == Qt::Checked ? 1 : 0;
    } else if (role != Qt::EditRole) {
        return false;
    }
    if (!m_d->writeCell(node.record, column, v))
        return false;
    setRecordValue(node.record, column, v);
    const QModelIndex first = index.sibling(index.row(), 0);
    const QModelIndex last = index.sibling(index.row(), columnCount() - 1);
    emit dataChanged(first, last);
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Node node = nodeOf(index);
    if (node.type == RowType::Record) {
        const GridColumn &col = m_grid->column(index.column() + 1);
        if (col.isEditable())
            f |= col.isCheckBox() ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
        f |= Qt::ItemNeverHasChildren;
    }
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const GridColumn &col = m_grid->column(section + 1);
    if (role == Qt::DisplayRole)
        return col.caption();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

// ---- row formats --------------------------------------------------------

int GridModel::styleIndexOf(const QString &name) const
{
    if (name.isEmpty())
        return -1;
    const QString key = name.toLower();
    auto it = m_styleNameIndex.constFind(key);
    if (it != m_styleNameIndex.constEnd())
        return it.value();
    const int i = int(m_styleNames.size());
    m_styleNames.append(key);
    m_styleNameIndex.insert(key, i);
    return i;
}

void GridModel::formatRecord(int record) const
{
    GridRow row;
    row.m_model = this;
    row.m_type = RowType::Record;
    row.m_record = record;
    m_d->runFormatter(row);
    m_recStyle[record] = styleIndexOf(row.styleName());
}

void GridModel::formatGroup(int group) const
{
    const Group &g = m_groups[group];
    const int column = m_groupKeys.value(g.level).column;
    const QString caption = column >= 1 && column <= m_grid->columnCount()
                                ? m_grid->column(column).caption()
                                : QString();
    GridRow row;
    row.m_model = this;
    row.m_type = RowType::GroupHeader;
    row.m_group = group;
    row.m_groupLevel = g.level + 1;
    row.m_recordCount = g.count;
    row.m_groupCaption
        = caption + QStringLiteral(": ") + displayText(column, groupValue(group, column));
    m_d->runFormatter(row);
    g.caption = row.groupCaption();
    g.style = styleIndexOf(row.styleName());
    g.formatted = true;
}

QString GridModel::recordStyleName(int record) const
{
    if (record < 0 || record >= m_store.rows)
        return QString();
    if (record >= int(m_recStyle.size()))
        m_recStyle.resize(m_store.rows, -2);
    if (m_recStyle[record] == -2)
        formatRecord(record);
    const int i = m_recStyle[record];
    return i >= 0 ? m_styleNames[i] : QString();
}

QString GridModel::groupStyleName(int group) const
{
    if (group < 0 || group >= m_groups.size())
        return QString();
    if (!m_groups[group].formatted)
        formatGroup(group);
    const int i = m_groups[group].style;
    return i >= 0 ? m_styleNames[i] : QString();
}

QString GridModel::groupCaption(int group) const
{
    if (group < 0 || group >= m_groups.size())
        return QString();
    if (!m_groups[group].formatted)
        formatGroup(group);
    return m_groups[group].caption;
}

void GridModel::invalidateFormats()
{
    m_recStyle.assign(m_store.rows, -2);
    for (const Group &g : m_groups)
        g.formatted = false;
}

// ---- styles -------------------------------------------------------------

void GridModel::setStyle(const FormatStyle &s)
{
    m_styles.insert(s.name.toLower(), s);
}

void GridModel::removeStyle(const QString &name)
{
    m_styles.remove(name.toLower());
}

void GridModel::clearStyles()
{
    m_styles.clear();
}

const FormatStyle *GridModel::style(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    auto it = m_styles.constFind(name.toLower());
    return it == m_styles.constEnd() ? nullptr : &it.value();
}

void GridModel::setAlternating(const QColor &odd, const QColor &even)
{
    m_odd = odd;
    m_even = even;
}

void GridModel::setGroupRowColors(const QColor &fore, const QColor &back)
{
    m_groupFore = fore;
    m_groupBack = back;
}

} // namespace kq::platform
