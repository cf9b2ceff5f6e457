#include "gridex.h"

#include "gexpreview.h"
#include "gridmodel.h"
#include "gridview.h"

#include "data/database.h"
#include "data/jetsql.h"
#include "platform/dialogs.h"

#include <QHeaderView>
#include <QMetaMethod>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace kq::platform {

namespace {
const QString kSource = QStringLiteral("GridEX");

bool numberFormat(const QString &format)
{
    const QString f = format.trimmed().toLower();
    return f == QLatin1String("0.00") || f == QLatin1String("currency")
           || (!f.isEmpty() && f.count(QLatin1Char('0')) == f.size());
}
} // namespace

// ---- printer settings ---------------------------------------------------

void GridPrinterSettings::setHeader(int position, const QString &text)
{
    (position == 1 ? headerLeft : position == 2 ? headerCenter : headerRight) = text;
}

void GridPrinterSettings::setFooter(int position, const QString &text)
{
    (position == 1 ? footerLeft : position == 2 ? footerCenter : footerRight) = text;
}

QString GridPrinterSettings::header(int position) const
{
    return position == 1 ? headerLeft : position == 2 ? headerCenter : headerRight;
}

QString GridPrinterSettings::footer(int position) const
{
    return position == 1 ? footerLeft : position == 2 ? footerCenter : footerRight;
}

// ---- columns --------------------------------------------------------------

void GridColumn::changed(bool structure)
{
    m_grid->columnChanged(this, structure);
}

void GridColumn::setKey(const QString &key)
{
    m_key = key;
}

void GridColumn::setCaption(const QString &caption)
{
    m_caption = caption;
    changed();
}

void GridColumn::setField(const QString &field)
{
    if (m_field.compare(field, Qt::CaseInsensitive) == 0) {
        m_field = field;
        return;
    }
    m_field = field;
    changed(true);
}

void GridColumn::setVisible(bool visible)
{
    m_visible = visible;
    changed();
}

int GridColumn::position() const
{
    return int(m_grid->m_positions.indexOf(m_index)) + 1;
}

void GridColumn::setPosition(int position)
{
    auto &order = m_grid->m_positions;
    position = std::clamp(position, 1, int(order.size()));
    order.removeAll(m_index);
    order.insert(position - 1, m_index);
    changed();
}

void GridColumn::setWidth(int pixels)
{
    m_width = std::max(0, pixels);
    changed();
}

void GridColumn::setFormat(const QString &format)
{
    m_format = format;
    changed();
}

Qt::Alignment GridColumn::alignment() const
{
    if (m_alignmentSet)
        return m_alignment;
    return numberFormat(m_format) ? Qt::AlignRight : Qt::AlignLeft;
}

void GridColumn::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    m_alignmentSet = true;
    changed();
}

void GridColumn::setAggregate(Aggregate aggregate)
{
    if (m_aggregate == aggregate)
        return;
    m_aggregate = aggregate;
    changed(true);
}

void GridColumn::setAggregateFormat(const QString &format)
{
    m_aggregateFormat = format;
    changed();
}

void GridColumn::setCheckBox(bool on)
{
    m_checkBox = on;
    changed();
}

void GridColumn::setEditable(bool on)
{
    m_editable = on;
    changed();
}

void GridColumn::setDropDown(GridEX *dropDownGrid)
{
    if (m_dropDown)
        QObject::disconnect(m_dropDown, &GridEX::refreshed, m_grid, nullptr);
    m_dropDown = dropDownGrid;
    if (dropDownGrid) {
        GridEX *grid = m_grid;
        QObject::connect(dropDownGrid, &GridEX::refreshed, grid,
                         [grid] {
                             if (grid->m_view)
                                 grid->m_view->viewport()->update();
                         });
    }
    changed();
}

void GridColumn::setDropDownItems(const QVector<QPair<QVariant, QString>> &items)
{
    m_dropDownItems = items;
    changed();
}

bool GridColumn::hasDropDown() const
{
    return !m_dropDown.isNull() || !m_dropDownItems.isEmpty();
}

// ---- rows handed to the hook ----------------------------------------------

QVariant GridRow::value(int column) const
{
    if (!m_model)
        return {};
    if (m_type == RowType::Record)
        return m_model->recordValue(m_record, column);
    return m_model->groupValue(m_group, column);
}

QString GridRow::text(int column) const
{
    return m_model ? m_model->displayText(column, value(column)) : QString();
}

double GridRow::groupSum(int column) const
{
    if (!m_model || m_type == RowType::Record)
        return 0.0;
    return m_model->groupSum(m_type == RowType::GroupHeader ? m_group : -1, column);
}

// ---- the grid -------------------------------------------------------------

GridEX::GridEX(QWidget *parent) : QWidget(parent)
{
    m_model = new GridModel(this);
    m_view = new GridView(this);
    m_view->setObjectName(QStringLiteral("gridView"));
    m_groupBox = new GroupByBox(this);
    m_view->setModel(m_model);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_groupBox);
    layout->addWidget(m_view);
    m_groupBox->hide();
    setFocusProxy(m_view);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onCurrentChanged(current); });
    connect(m_view->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { onHeaderClicked(logical); });
    connect(m_view->header(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (!m_restoring && logical >= 0 && logical < int(m_columns.size())
                    && !m_view->header()->isSectionHidden(logical) && size > 0)
                    m_columns[logical]->m_width = size;
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { applyColumnsToView(); });
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_view->verticalScrollBar()->maximum())
            m_model->showReadRows();
    });
}

GridEX::~GridEX()
{
    // The view and the model read the columns: let them go first.
    delete m_view;
    m_view = nullptr;
    delete m_groupBox;
    m_groupBox = nullptr;
    delete m_model;
    m_model = nullptr;
}

// ---- binding --------------------------------------------------------------

void GridEX::setDatabaseName(const QString &path)
{
    m_databaseName = path;
}

void GridEX::setRecordSource(const kq::data::RecordSource &source)
{
    m_recordSource = source;
}

void GridEX::rebind()
{
    m_boundDatabase = m_databaseName;
    m_boundSource = m_recordSource;
}

void GridEX::refresh()
{
    if (m_databaseName.trimmed().isEmpty())
        throw GridError(kq::data::ErrorNumber::DatabaseOpen,
                        QStringLiteral("A grade não tem banco de dados definido."), kSource);
    if (m_recordSource.isEmpty())
        throw GridError(GridErrorNumber::RecordSource,
                        QStringLiteral("A grade não tem origem de registros definida."),
                        kSource);
    std::unique_ptr<RowReader> reader
        = RowReader::open(m_databaseName, kq::data::translateJet(m_recordSource.sql),
                          m_recordSource.values);
    const QStringList names = reader->fieldNames();
    auto fieldIndex = [&names](const QString &field) {
        for (int i = 0; i < names.size(); ++i) {
            if (names[i].compare(field, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };
    // Check every bound column before anything changes.
    for (const auto &col : m_columns) {
        if (!col->field().isEmpty() && fieldIndex(col->field()) < 0) {
            throw GridError(GridErrorNumber::UnknownField,
                            QStringLiteral("A coluna %1 (\"%2\") da grade está ligada ao "
                                           "campo \"%3\", que a consulta não traz.")
                                .arg(col->index())
                                .arg(col->caption(), col->field()),
                            kSource);
        }
    }
    if (m_columns.empty()) {
        // A grid without designed columns takes the query's fields.
        for (const QString &name : names)
            addColumn(name, name);
    }
    QStringList fields;
    QVector<int> queryColumns;
    for (const auto &col : m_columns) {
        if (col->field().isEmpty())
            continue;
        const QString lower = col->field().toLower();
        if (fields.contains(lower))
            continue;
        fields.append(lower);
        queryColumns.append(fieldIndex(col->field()));
    }
    restoreAfter([&] { m_model->load(std::move(reader), fields, queryColumns); }, true);
    m_everBound = true;
    m_ddValid = false;
    emit refreshed();
}

int GridEX::recordCount() const
{
    m_model->fetchAll();
    return m_model->recordCount();
}

void GridEX::setKeyColumn(int column)
{
    m_keyColumn = column;
}

int GridEX::keyColumnIndex() const
{
    if (m_keyColumn >= 1 && m_keyColumn <= columnCount())
        return m_keyColumn;
    for (const auto &col : m_columns) {
        if (!col->field().isEmpty())
            return col->index();
    }
    return 0;
}

int GridEX::findRecordByKey(const QVariant &key) const
{
    const int column = keyColumnIndex();
    if (!column || !key.isValid() || key.isNull())
        return -1;
    auto search = [&]() {
        for (int r = 0; r < m_model->recordCount(); ++r) {
            if (m_model->recordValue(r, column) == key)
                return r;
        }
        return -1;
    };
    int found = search();
    if (found < 0 && m_model->isFetching()) {
        m_model->fetchAll();
        found = search();
    }
    return found;
}

void GridEX::setUpdateTable(const QString &table, const QString &keyField)
{
    m_updateTable = table;
    m_updateKey = keyField;
}

bool GridEX::writeCell(int record, int column, const QVariant &value)
{
    if (m_updateTable.isEmpty() || m_updateKey.isEmpty())
        return false;
    GridColumn *keyCol = columnByKey(m_updateKey);
    const QString field = this->column(column).field();
    if (!keyCol || field.isEmpty())
        return false;
    const QVariant key = m_model->recordValue(record, keyCol->index());
    try {
        kq::data::exec(m_databaseName,
                       QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                           .arg(m_updateTable, field, m_updateKey),
                       {value, key});
    } catch (const kq::data::DataError &e) {
        Dialogs::message(e.description(), QString(), Buttons::Ok, Icon::Critical);
        return false;
    }
    emit cellEdited(column);
    return true;
}

// ---- columns --------------------------------------------------------------

GridColumn &GridEX::addColumn(const QString &field, const QString &caption, int width)
{
    const int index = int(m_columns.size()) + 1;
    std::unique_ptr<GridColumn> col(new GridColumn(this, index));
    col->m_field = field;
    col->m_caption = caption.isNull() ? field : caption;
    col->m_width = width;
    m_columns.push_back(std::move(col));
    m_positions.append(index);
    restoreAfter([this] { m_model->rebuild(); }, false);
    return *m_columns.back();
}

void GridEX::clearColumns()
{
    restoreAfter(
        [this] {
            m_columns.clear();
            m_positions.clear();
            m_model->setGroups({});
            m_model->setSort(0, SortOrder::Ascending);
        },
        false);
}

int GridEX::columnCount() const
{
    return int(m_columns.size());
}

GridColumn *GridEX::checkedColumn(int index) const
{
    if (index < 1 || index > int(m_columns.size())) {
        throw GridError(GridErrorNumber::BadIndex,
                        QStringLiteral("A grade não tem a coluna %1.").arg(index), kSource);
    }
    return m_columns[index - 1].get();
}

GridColumn &GridEX::column(int index)
{
    return *checkedColumn(index);
}

const GridColumn &GridEX::column(int index) const
{
    return *checkedColumn(index);
}

GridColumn *GridEX::columnByKey(const QString &key)
{
    for (const auto &col : m_columns) {
        if (col->key().compare(key, Qt::CaseInsensitive) == 0)
            return col.get();
    }
    for (const auto &col : m_columns) {
        if (col->field().compare(key, Qt::CaseInsensitive) == 0)
            return col.get();
    }
    return nullptr;
}

GridColumn &GridEX::columnAtPosition(int position)
{
    if (position < 1 || position > m_positions.size()) {
        throw GridError(GridErrorNumber::BadIndex,
                        QStringLiteral("A grade não tem a posição %1.").arg(position), kSource);
    }
    return column(m_positions[position - 1]);
}

void GridEX::columnChanged(GridColumn *column, bool structure)
{
    if (structure) {
        if (m_everBound && column && !column->field().isEmpty()
            && !m_model->hasField(column->field())) {
            // The rows hold no values for the new field yet: read them again.
            try {
                refresh();
                return;
            } catch (const GridError &e) {
                qWarning("GridEX: %s", qPrintable(e.description()));
            }
        }
        restoreAfter([this] { m_model->rebuild(); }, false);
        return;
    }
    applyColumnsToView();
    emit m_model->headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
    m_view->viewport()->update();
}

int GridEX::firstVisibleLogical() const
{
    const QHeaderView *h = m_view->header();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

void GridEX::applyColumnsToView()
{
    QHeaderView *h = m_view->header();
    if (h->count() != columnCount())
        return;
    const bool was = m_restoring;
    m_restoring = true;
    for (const auto &col : m_columns) {
        const int logical = col->index() - 1;
        h->setSectionHidden(logical, !col->isVisible());
        if (col->isVisible())
            h->resizeSection(logical, std::max(1, col->width()));
    }
    for (int p = 0; p < m_positions.size(); ++p) {
        const int logical = m_positions[p] - 1;
        const int from = h->visualIndex(logical);
        if (from != p)
            h->moveSection(from, p);
    }
    const int sortColumn = m_model->sortColumn();
    h->setSortIndicatorShown(sortColumn > 0);
    if (sortColumn > 0)
        h->setSortIndicator(sortColumn - 1, m_model->sortOrder() == SortOrder::Ascending
                                                ? Qt::AscendingOrder
                                                : Qt::DescendingOrder);
    const int tree = firstVisibleLogical();
    m_view->setTreePosition(tree < 0 ? 0 : tree);
    m_view->setRootIsDecorated(m_model->isGrouped());
    m_view->setUniformRowHeights(m_previewColumn <= 0);
    if (m_model->isGrouped())
        m_view->expandAll();
    m_restoring = was;
    updateGroupByBox();
}

void GridEX::moveColumnToVisual(int column, int visual)
{
    if (column < 1 || column > columnCount())
        return;
    this->column(column).setPosition(visual + 1);
}

// ---- current row ------------------------------------------------------------

GridEX::RowIdent GridEX::identOf(const QModelIndex &index) const
{
    RowIdent id;
    if (!index.isValid())
        return id;
    const GridModel::Node node = m_model->nodeOf(index);
    id.type = node.type;
    id.id = node.type == RowType::Record ? node.record
            : node.type == RowType::GroupHeader ? node.group
                                                : 0;
    return id;
}

void GridEX::onCurrentChanged(const QModelIndex &current)
{
    const RowIdent id = identOf(current);
    if (m_restoring) {
        m_current = id;
        return;
    }
    if (id == m_current)
        return;
    m_current = id;
    emit rowChanged();
}

void GridEX::restoreAfter(const std::function<void()> &change, bool byKey)
{
    const QModelIndex current = m_view->currentIndex();
    const GridModel::Node before = m_model->nodeOf(current);
    const bool hadRecord = current.isValid() && before.type == RowType::Record
                           && before.record >= 0;
    QVariant key;
    if (hadRecord && byKey && keyColumnIndex())
        key = m_model->recordValue(before.record, keyColumnIndex());
    const int hscroll = m_view->horizontalScrollBar()->value();

    change(); // may throw: nothing has changed then

    m_restoring = true;
    int record = -1;
    if (hadRecord)
        record = byKey ? findRecordByKey(key) : before.record;
    if (record >= 0) {
        const QModelIndex index
            = m_model->indexOf(m_model->recordNode(record), std::max(0, firstVisibleLogical()));
        if (index.isValid()) {
            for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
                m_view->expand(p);
            m_view->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    m_current = identOf(m_view->currentIndex());
    m_view->horizontalScrollBar()->setValue(hscroll);
    m_restoring = false;
}

QVariant GridEX::value(int column) const
{
    const GridModel::Node node = m_model->nodeOf(m_view->currentIndex());
    if (!m_view->currentIndex().isValid() || node.type != RowType::Record)
        return {};
    return m_model->recordValue(node.record, column);
}

QString GridEX::text(int column) const
{
    const GridModel::Node node = m_model->nodeOf(m_view->currentIndex());
    if (!m_view->currentIndex().isValid() || node.type != RowType::Record)
        return {};
    return m_model->recordText(node.record, column);
}

bool GridEX::hasCurrentRecord() const
{
    const QModelIndex current = m_view->currentIndex();
    const GridModel::Node node = m_model->nodeOf(current);
    return current.isValid() && node.type == RowType::Record && node.record >= 0;
}

bool GridEX::isGroupRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() && m_model->nodeOf(current).type != RowType::Record;
}

int GridEX::rowCount() const
{
    m_model->fetchAll();
    return m_model->flatCount();
}

RowType GridEX::rowType(int row) const
{
    return m_model->nodeAtFlat(row).type;
}

QVariant GridEX::valueAt(int row, int column) const
{
    const GridModel::Node node = m_model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return m_model->recordValue(node.record, column);
    if (node.type == RowType::GroupHeader)
        return m_model->groupValue(node.group, column);
    return {};
}

QString GridEX::textAt(int row, int column) const
{
    const GridModel::Node node = m_model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return m_model->recordText(node.record, column);
    if (column < 1 || column > columnCount())
        return {};
    const int g = node.type == RowType::GroupHeader ? node.group : -1;
    if (this->column(column).aggregate() != Aggregate::None)
        return m_model->sumText(g, column);
    return node.type == RowType::GroupHeader ? m_model->displayText(column, valueAt(row, column))
                                             : QString();
}

int GridEX::currentRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? m_model->flatOf(current) : -1;
}

void GridEX::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->flatCount())
        return;
    const QModelIndex index
        = m_model->indexOf(m_model->nodeAtFlat(row), std::max(0, firstVisibleLogical()));
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        m_view->expand(p);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

int GridEX::findRow(int column, const QVariant &value) const
{
    m_model->fetchAll();
    const QString text = value.toString();
    for (int r = 0; r < m_model->recordCount(); ++r) {
        const QVariant v = m_model->recordValue(r, column);
        const bool same = (v.metaType().id() == QMetaType::QString
                           || value.metaType().id() == QMetaType::QString)
                              ? v.toString().compare(text, Qt::CaseInsensitive) == 0
                              : v == value;
        if (same && !v.isNull())
            return m_model->flatOf(m_model->recordNode(r));
    }
    return -1;
}

void GridEX::selectRows(const QList<int> &rows)
{
    QItemSelection selection;
    QModelIndex first;
    for (int row : rows) {
        const QModelIndex index = m_model->indexOf(m_model->nodeAtFlat(row), 0);
        if (!index.isValid())
            continue;
        if (!first.isValid())
            first = index;
        selection.select(index, index.sibling(index.row(), columnCount() - 1));
    }
    auto *sm = m_view->selectionModel();
    const QModelIndex current = m_view->currentIndex();
    if (first.isValid() && (!current.isValid() || !selection.contains(current)))
        sm->setCurrentIndex(first.sibling(first.row(), std::max(0, firstVisibleLogical())),
                            QItemSelectionModel::NoUpdate);
    sm->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<int> GridEX::selectedRows() const
{
    QList<int> rows;
    const auto indexes = m_view->selectionModel()->selectedRows(0);
    for (const QModelIndex &index : indexes)
        rows.append(m_model->flatOf(index));
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<int> GridEX::selectedRecords() const
{
    QList<int> records;
    const auto indexes = m_view->selectionModel()->selectedRows(0);
    for (const QModelIndex &index : indexes) {
        const GridModel::Node node = m_model->nodeOf(index);
        if (node.type == RowType::Record && node.record >= 0)
            records.append(node.record);
    }
    return records;
}

// ---- looks ----------------------------------------------------------------

void GridEX::setHeaderSort(bool on)
{
    m_headerSort = on;
}

void GridEX::onHeaderClicked(int logical)
{
    if (!m_headerSort || logical < 0 || logical >= columnCount())
        return;
    const int column = logical + 1;
    const auto groups = m_model->groups();
    for (int i = 0; i < groups.size(); ++i) {
        if (groups[i].column == column) {
            QList<QPair<int, SortOrder>> keys;
            for (int j = 0; j < groups.size(); ++j) {
                SortOrder o = groups[j].order;
                if (j == i)
                    o = o == SortOrder::Ascending ? SortOrder::Descending : SortOrder::Ascending;
                keys.append({groups[j].column, o});
            }
            setGroupKeys(keys);
            return;
        }
    }
    SortOrder order = SortOrder::Ascending;
    if (m_model->sortColumn() == column && m_model->sortOrder() == SortOrder::Ascending)
        order = SortOrder::Descending;
    sortBy(column, order);
}

void GridEX::sortBy(int column, SortOrder order)
{
    if (column < 0 || column > columnCount())
        return;
    restoreAfter([&] { m_model->setSort(column, order); }, false);
}

void GridEX::setMultiSelect(bool on)
{
    m_multiSelect = on;
    m_view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                : QAbstractItemView::SingleSelection);
}

void GridEX::setAlternatingRowColors(const QColor &odd, const QColor &even)
{
    m_model->setAlternating(odd, even);
    m_view->viewport()->update();
}

void GridEX::setHeaderHeight(int pixels)
{
    if (pixels > 0)
        m_view->header()->setFixedHeight(pixels);
    else
        m_view->header()->setMinimumHeight(0);
}

void GridEX::addFormatStyle(const QString &name, const QColor &foreColor,
                            const QColor &backColor, bool bold)
{
    m_model->setStyle(FormatStyle{name, foreColor, backColor, bold});
    m_view->viewport()->update();
}

void GridEX::removeFormatStyle(const QString &name)
{
    m_model->removeStyle(name);
    m_view->viewport()->update();
}

void GridEX::clearFormatStyles()
{
    m_model->clearStyles();
    m_view->viewport()->update();
}

bool GridEX::hasFormatStyle(const QString &name) const
{
    return m_model->style(name) != nullptr;
}

FormatStyle GridEX::formatStyle(const QString &name) const
{
    const FormatStyle *s = m_model->style(name);
    return s ? *s : FormatStyle{};
}

void GridEX::setGroupRowStyle(const QColor &foreColor, const QColor &backColor)
{
    m_model->setGroupRowColors(foreColor, backColor);
    m_view->viewport()->update();
}

void GridEX::setRowFormatter(RowFormatter formatter)
{
    m_formatter = std::move(formatter);
    invalidateRowFormats();
}

void GridEX::runFormatter(GridRow &row) const
{
    auto *self = const_cast<GridEX *>(this);
    if (isSignalConnected(QMetaMethod::fromSignal(&GridEX::formatRow)))
        emit self->formatRow(row);
    if (m_formatter)
        m_formatter(row);
}

QString GridEX::rowStyleName(int row) const
{
    const GridModel::Node node = m_model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return m_model->recordStyleName(node.record);
    if (node.type == RowType::GroupHeader)
        return m_model->groupStyleName(node.group);
    return {};
}

QString GridEX::groupCaption(int row) const
{
    const GridModel::Node node = m_model->nodeAtFlat(row);
    return node.type == RowType::GroupHeader ? m_model->groupCaption(node.group) : QString();
}

void GridEX::invalidateRowFormats()
{
    m_model->invalidateFormats();
    m_view->viewport()->update();
}

// ---- grouping ---------------------------------------------------------------

void GridEX::setGroupKeys(const QList<QPair<int, SortOrder>> &groups)
{
    QVector<GridModel::GroupKey> keys;
    for (const auto &g : groups) {
        if (g.first < 1 || g.first > columnCount() || keys.size() >= 2)
            continue;
        if (std::any_of(keys.begin(), keys.end(),
                        [&g](const GridModel::GroupKey &k) { return k.column == g.first; }))
            continue;
        keys.append({g.first, g.second});
    }
    restoreAfter([&] { m_model->setGroups(keys); }, false);
}

void GridEX::groupBy(int column, SortOrder order)
{
    QList<QPair<int, SortOrder>> keys;
    for (const auto &k : m_model->groups())
        keys.append({k.column, k.order});
    if (column < 1 || column > columnCount() || keys.size() >= 2)
        return;
    for (const auto &k : keys) {
        if (k.first == column)
            return;
    }
    keys.append({column, order});
    setGroupKeys(keys);
}

void GridEX::setDesignGroups(const QList<int> &columns)
{
    m_designGroups = columns;
    QList<QPair<int, SortOrder>> keys;
    for (int c : columns)
        keys.append({c, SortOrder::Ascending});
    setGroupKeys(keys);
}

void GridEX::group()
{
    if (!isGrouped() && !m_designGroups.isEmpty()) {
        setDesignGroups(m_designGroups);
        return;
    }
    int column = 0;
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid() && !m_view->header()->isSectionHidden(current.column())
        && current.column() != firstVisibleLogical())
        column = current.column() + 1;
    if (!column) {
        const int logical = firstVisibleLogical();
        column = logical >= 0 ? logical + 1 : 0;
    }
    if (column)
        groupBy(column);
}

void GridEX::ungroup()
{
    setGroupKeys({});
}

QList<int> GridEX::groupColumns() const
{
    QList<int> columns;
    for (const auto &k : m_model->groups())
        columns.append(k.column);
    return columns;
}

bool GridEX::isGrouped() const
{
    return m_model->isGrouped();
}

void GridEX::setGroupByBoxVisible(bool on)
{
    m_groupBox->setVisible(on);
    m_groupBox->setProperty("wanted", on);
}

bool GridEX::groupByBoxVisible() const
{
    return m_groupBox->property("wanted").toBool();
}

void GridEX::setGroupByBoxCaption(const QString &caption)
{
    m_groupBox->setCaption(caption);
}

QString GridEX::groupByBoxCaption() const
{
    return m_groupBox->caption();
}

void GridEX::updateGroupByBox()
{
    m_groupBox->update();
}

void GridEX::setTotalRowVisible(bool on)
{
    m_totalRow = on;
    restoreAfter([&] { m_model->setTotalRow(on); }, false);
}

double GridEX::totalSum(int column) const
{
    m_model->fetchAll();
    return m_model->groupSum(-1, column);
}

// ---- preview row ------------------------------------------------------------

void GridEX::setPreviewColumn(int column, int maxLines, const QColor &color)
{
    m_previewColumn = std::max(0, column); // may come before its column is added
    m_previewLines = std::max(1, maxLines);
    m_previewColor = color;
    m_view->setUniformRowHeights(m_previewColumn <= 0);
    m_view->reset();
    applyColumnsToView();
}

void GridEX::setPreviewField(const QString &field, int maxLines, const QColor &color)
{
    GridColumn *col = nullptr;
    for (const auto &c : m_columns) {
        if (c->field().compare(field, Qt::CaseInsensitive) == 0) {
            col = c.get();
            break;
        }
    }
    setPreviewColumn(col ? col->index() : 0, maxLines, color);
}

// ---- drop-down --------------------------------------------------------------

void GridEX::setDropDownColumns(int valueColumn, int displayColumn)
{
    m_ddValueColumn = valueColumn;
    m_ddDisplayColumn = displayColumn;
    m_ddValid = false;
}

QString GridEX::dropDownText(const QVariant &code) const
{
    if (!code.isValid() || code.isNull())
        return QString();
    if (!m_ddValid) {
        m_model->fetchAll();
        m_ddCache.clear();
        for (int r = 0; r < m_model->recordCount(); ++r) {
            const QString key = m_model->recordValue(r, m_ddValueColumn).toString().toLower();
            if (!m_ddCache.contains(key))
                m_ddCache.insert(key, m_model->recordText(r, m_ddDisplayColumn));
        }
        m_ddValid = true;
    }
    return m_ddCache.value(code.toString().toLower());
}

// ---- misc -------------------------------------------------------------------

void GridEX::setCaption(const QString &caption)
{
    m_caption = caption;
}

QTreeView *GridEX::view() const
{
    return m_view;
}

} // namespace kq::platform
