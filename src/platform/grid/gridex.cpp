#include "platform/grid/gridex.h"
#include "platform/grid/gridex_p.h"

#include "platform/grid/gridmodel.h"
#include "platform/grid/gridview.h"

#include "data/database.h"
#include "data/jetsql.h"
#include "platform/dialogs.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace kq::platform {

namespace {
const QString kSource = QStringLiteral("GridEX");

bool numberFormat(const QString &format)
{
    const QString f = format.trimmed().toLower();
    return f == QLatin1String("0.00") || f == QLatin1String("currency")
           || (!f.isEmpty() && f.count(QLatin1Char('0')) == f.size());
}

bool dateFormat(const QString &format)
{
    const QString f = format.trimmed().toLower();
    return f == QLatin1String("dd/mm/yyyy") || f == QLatin1String("yyyy/mm")
           || f == QLatin1String("mm/yyyy");
}

bool moneyFormat(const QString &format)
{
    const QString f = format.trimmed().toLower();
    return f == QLatin1String("0.00") || f == QLatin1String("currency");
}

// The text with each digit drawn as the widest digit of the font: at least as
// wide as every text of its shape.
int widestOfShape(QString text, const QFontMetrics &fm)
{
    QChar widest = QLatin1Char('0');
    for (char c = '1'; c <= '9'; ++c) {
        if (fm.horizontalAdvance(QLatin1Char(c)) > fm.horizontalAdvance(widest))
            widest = QLatin1Char(c);
    }
    for (QChar &c : text) {
        if (c.isDigit())
            c = widest;
    }
    return fm.horizontalAdvance(text);
}

// Records or groups with the lowest and highest value: in a money column
// their texts are the widest.
template<typename Value>
QVector<int> extremes(int count, Value value)
{
    int low = -1;
    int high = -1;
    double lowValue = 0;
    double highValue = 0;
    for (int i = 0; i < count; ++i) {
        const std::optional<double> v = value(i);
        if (!v)
            continue;
        if (low < 0 || *v < lowValue) {
            low = i;
            lowValue = *v;
        }
        if (high < 0 || *v > highValue) {
            high = i;
            highValue = *v;
        }
    }
    QVector<int> out;
    if (low >= 0)
        out << low << high;
    return out;
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
    m_d->columnChanged(this, structure);
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
    return int(m_d->positions.indexOf(m_index)) + 1;
}

void GridColumn::setPosition(int position)
{
    auto &order = m_d->positions;
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
        QObject::disconnect(m_dropDown, &GridEX::refreshed, m_d->q, nullptr);
    m_dropDown = dropDownGrid;
    if (dropDownGrid) {
        GridEXPrivate *d = m_d;
        QObject::connect(dropDownGrid, &GridEX::refreshed, d->q, [d] {
            if (d->view)
                d->view->viewport()->update();
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

GridEX::GridEX(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<GridEXPrivate>(this))
{
    d->model = new GridModel(d.get());
    d->view = new GridView(d.get());
    d->view->setObjectName(QStringLiteral("gridView"));
    d->groupBox = new GroupByBox(d.get());
    d->view->setModel(d->model);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(d->groupBox);
    layout->addWidget(d->view);
    d->groupBox->hide();
    setFocusProxy(d->view);

    connect(d->view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { d->onCurrentChanged(current); });
    connect(d->view->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { d->onHeaderClicked(logical); });
    connect(d->view->header(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (!d->restoring && logical >= 0 && logical < int(d->columns.size())
                    && !d->view->header()->isSectionHidden(logical) && size > 0)
                    d->columns[logical]->m_width = size;
            });
    connect(d->model, &QAbstractItemModel::modelReset, this, [this] { d->applyColumnsToView(); });
    connect(d->model, &GridModel::fetchedMore, this, [this] { d->fitValueColumns(); });
    connect(d->view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == d->view->verticalScrollBar()->maximum())
            d->model->showReadRows();
    });
}

GridEX::~GridEX()
{
    // The view and the model read the columns: let them go first.
    delete d->view;
    d->view = nullptr;
    delete d->groupBox;
    d->groupBox = nullptr;
    delete d->model;
    d->model = nullptr;
}

// ---- binding --------------------------------------------------------------

void GridEX::setDatabaseName(const QString &path)
{
    d->databaseName = path;
}

QString GridEX::databaseName() const
{
    return d->databaseName;
}

void GridEX::setRecordSource(const kq::data::RecordSource &source)
{
    d->recordSource = source;
}

const kq::data::RecordSource &GridEX::recordSource() const
{
    return d->recordSource;
}

void GridEX::rebind()
{
    d->boundDatabase = d->databaseName;
    d->boundSource = d->recordSource;
}

void GridEX::refresh()
{
    if (d->databaseName.trimmed().isEmpty())
        throw GridError(kq::data::ErrorNumber::DatabaseOpen,
                        QStringLiteral("A grade não tem banco de dados definido."), kSource);
    if (d->recordSource.isEmpty())
        throw GridError(GridErrorNumber::RecordSource,
                        QStringLiteral("A grade não tem origem de registros definida."), kSource);
    std::unique_ptr<RowReader> reader = RowReader::open(
        d->databaseName, kq::data::translateJet(d->recordSource.sql), d->recordSource.values);
    const QStringList names = reader->fieldNames();
    auto fieldIndex = [&names](const QString &field) {
        for (int i = 0; i < names.size(); ++i) {
            if (names[i].compare(field, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };
    // Check every bound column before anything changes.
    for (const auto &col : d->columns) {
        if (!col->field().isEmpty() && fieldIndex(col->field()) < 0) {
            throw GridError(GridErrorNumber::UnknownField,
                            QStringLiteral("A coluna %1 (\"%2\") da grade está ligada ao "
                                           "campo \"%3\", que a consulta não traz.")
                                .arg(col->index())
                                .arg(col->caption(), col->field()),
                            kSource);
        }
    }
    if (d->columns.empty()) {
        // A grid without designed columns takes the query's fields.
        for (const QString &name : names)
            addColumn(name, name);
    }
    QStringList fields;
    QVector<int> queryColumns;
    for (const auto &col : d->columns) {
        if (col->field().isEmpty())
            continue;
        const QString lower = col->field().toLower();
        if (fields.contains(lower))
            continue;
        fields.append(lower);
        queryColumns.append(fieldIndex(col->field()));
    }
    d->restoreAfter([&] { d->model->load(std::move(reader), fields, queryColumns); }, true);
    d->everBound = true;
    d->ddValid = false;
    emit refreshed();
}

int GridEX::recordCount() const
{
    d->model->fetchAll();
    return d->model->recordCount();
}

void GridEX::setKeyColumn(int column)
{
    d->keyColumn = column;
}

int GridEX::keyColumn() const
{
    return d->keyColumn;
}

int GridEXPrivate::keyColumnIndex() const
{
    if (keyColumn >= 1 && keyColumn <= q->columnCount())
        return keyColumn;
    for (const auto &col : columns) {
        if (!col->field().isEmpty())
            return col->index();
    }
    return 0;
}

int GridEXPrivate::findRecordByKey(const QVariant &key) const
{
    const int column = keyColumnIndex();
    if (!column || !key.isValid() || key.isNull())
        return -1;
    auto search = [&]() {
        for (int r = 0; r < model->recordCount(); ++r) {
            if (model->recordValue(r, column) == key)
                return r;
        }
        return -1;
    };
    int found = search();
    if (found < 0 && model->isFetching()) {
        model->fetchAll();
        found = search();
    }
    return found;
}

void GridEX::setUpdateTable(const QString &table, const QString &keyField)
{
    d->updateTable = table;
    d->updateKey = keyField;
}

bool GridEXPrivate::writeCell(int record, int column, const QVariant &value)
{
    if (updateTable.isEmpty() || updateKey.isEmpty())
        return false;
    GridColumn *keyCol = q->columnByKey(updateKey);
    const QString field = q->column(column).field();
    if (!keyCol || field.isEmpty())
        return false;
    const QVariant key = model->recordValue(record, keyCol->index());
    try {
        kq::data::exec(
            databaseName,
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(updateTable, field, updateKey),
            {value, key});
    } catch (const kq::data::DataError &e) {
        Dialogs::message(e.description(), QString(), Buttons::Ok, Icon::Critical);
        return false;
    }
    emit q->cellEdited(column);
    return true;
}

// ---- columns --------------------------------------------------------------

GridColumn &GridEX::addColumn(const QString &field, const QString &caption, int width)
{
    const int index = int(d->columns.size()) + 1;
    std::unique_ptr<GridColumn> col(new GridColumn(d.get(), index));
    col->m_field = field;
    col->m_caption = caption.isNull() ? field : caption;
    col->m_width = width;
    d->columns.push_back(std::move(col));
    d->positions.append(index);
    d->restoreAfter([this] { d->model->rebuild(); }, false);
    return *d->columns.back();
}

void GridEX::clearColumns()
{
    d->restoreAfter(
        [this] {
            d->columns.clear();
            d->positions.clear();
            d->model->setGroups({});
            d->model->setSort(0, SortOrder::Ascending);
        },
        false);
}

int GridEX::columnCount() const
{
    return int(d->columns.size());
}

GridColumn *GridEXPrivate::checkedColumn(int index) const
{
    if (index < 1 || index > int(columns.size())) {
        throw GridError(GridErrorNumber::BadIndex,
                        QStringLiteral("A grade não tem a coluna %1.").arg(index), kSource);
    }
    return columns[index - 1].get();
}

GridColumn &GridEX::column(int index)
{
    return *d->checkedColumn(index);
}

const GridColumn &GridEX::column(int index) const
{
    return *d->checkedColumn(index);
}

GridColumn *GridEX::columnByKey(const QString &key)
{
    for (const auto &col : d->columns) {
        if (col->key().compare(key, Qt::CaseInsensitive) == 0)
            return col.get();
    }
    for (const auto &col : d->columns) {
        if (col->field().compare(key, Qt::CaseInsensitive) == 0)
            return col.get();
    }
    return nullptr;
}

GridColumn &GridEX::columnAtPosition(int position)
{
    if (position < 1 || position > d->positions.size()) {
        throw GridError(GridErrorNumber::BadIndex,
                        QStringLiteral("A grade não tem a posição %1.").arg(position), kSource);
    }
    return column(d->positions[position - 1]);
}

void GridEXPrivate::columnChanged(GridColumn *column, bool structure)
{
    if (structure) {
        if (everBound && column && !column->field().isEmpty()
            && !model->hasField(column->field())) {
            // The rows hold no values for the new field yet: read them again.
            try {
                q->refresh();
                return;
            } catch (const GridError &e) {
                qWarning("GridEX: %s", qPrintable(e.description()));
            }
        }
        restoreAfter([this] { model->rebuild(); }, false);
        return;
    }
    applyColumnsToView();
    emit model->headerDataChanged(Qt::Horizontal, 0, std::max(0, q->columnCount() - 1));
    view->viewport()->update();
}

int GridEXPrivate::firstVisibleLogical() const
{
    const QHeaderView *h = view->header();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

int GridEXPrivate::fittedWidth(const GridColumn &col) const
{
    const bool date = dateFormat(col.format());
    if ((!date && !moneyFormat(col.format())) || col.hasDropDown() || col.isCheckBox())
        return 0;
    const int column = col.index();
    const QFontMetrics fm = view->fontMetrics();
    QFont boldFont = view->font();
    boldFont.setBold(true);
    const QFontMetrics bold(boldFont, view);
    int cells = 0;
    if (date) {
        // Every date has the same shape.
        cells = widestOfShape(model->displayText(column, QStringLiteral("2000-01-01")), fm);
    } else {
        const auto number = [&](int record) -> std::optional<double> {
            bool ok = false;
            const double v = model->recordValue(record, column).toDouble(&ok);
            return ok ? std::optional<double>(v) : std::nullopt;
        };
        for (int record : extremes(model->recordCount(), number))
            cells = std::max(cells, widestOfShape(model->recordText(record, column), fm));
    }
    if (col.index() - 1 == firstVisibleLogical() && view->rootIsDecorated())
        cells += int(model->groups().size() + 1) * view->indentation();
    // The delegate's margins, and a pixel for its text layout's rounding up.
    const int margin
        = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 1;
    int width = std::max(view->header()->sectionSizeHint(column - 1), cells + margin);

    if (col.aggregate() != Aggregate::None) {
        // Group and total rows draw their sums in bold, 4 pixels in from each side.
        QVector<int> groups;
        std::function<void(const QVector<int> &)> collect = [&](const QVector<int> &level) {
            for (int g : level) {
                groups << g;
                collect(model->childGroups(g));
            }
        };
        collect(model->topGroups());
        QVector<int> shown;
        for (int k : extremes(int(groups.size()), [&](int k) {
                 return std::optional(model->groupSum(groups[k], column));
             }))
            shown << groups[k];
        if (model->hasTotalRow())
            shown << -1;
        for (int g : shown)
            width = std::max(width, widestOfShape(model->sumText(g, column), bold) + 9);
    }
    return width;
}

void GridEXPrivate::fitValueColumns()
{
    QHeaderView *h = view->header();
    if (h->count() != q->columnCount())
        return;
    const bool was = restoring;
    restoring = true;
    for (const auto &col : columns) {
        const int logical = col->index() - 1;
        if (!col->isVisible())
            continue;
        const int fitted = fittedWidth(*col);
        if (h->sectionSize(logical) < fitted)
            h->resizeSection(logical, fitted);
    }
    restoring = was;
}

void GridEXPrivate::applyColumnsToView()
{
    QHeaderView *h = view->header();
    if (h->count() != q->columnCount())
        return;
    const bool was = restoring;
    restoring = true;
    for (const auto &col : columns) {
        const int logical = col->index() - 1;
        h->setSectionHidden(logical, !col->isVisible());
        if (col->isVisible())
            h->resizeSection(logical, std::max({1, col->width(), fittedWidth(*col)}));
    }
    for (int p = 0; p < positions.size(); ++p) {
        const int logical = positions[p] - 1;
        const int from = h->visualIndex(logical);
        if (from != p)
            h->moveSection(from, p);
    }
    const int sortColumn = model->sortColumn();
    h->setSortIndicatorShown(sortColumn > 0);
    if (sortColumn > 0)
        h->setSortIndicator(sortColumn - 1, model->sortOrder() == SortOrder::Ascending
                                                ? Qt::AscendingOrder
                                                : Qt::DescendingOrder);
    const int tree = firstVisibleLogical();
    view->setTreePosition(tree < 0 ? 0 : tree);
    view->setRootIsDecorated(model->isGrouped());
    view->setUniformRowHeights(previewColumn <= 0);
    if (model->isGrouped())
        view->expandAll();
    restoring = was;
    updateGroupByBox();
}

void GridEXPrivate::moveColumnToVisual(int column, int visual)
{
    if (column < 1 || column > q->columnCount())
        return;
    q->column(column).setPosition(visual + 1);
}

// ---- current row ------------------------------------------------------------

GridEXPrivate::RowIdent GridEXPrivate::identOf(const QModelIndex &index) const
{
    RowIdent id;
    if (!index.isValid())
        return id;
    const GridModel::Node node = model->nodeOf(index);
    id.type = node.type;
    id.id = node.type == RowType::Record        ? node.record
            : node.type == RowType::GroupHeader ? node.group
                                                : 0;
    return id;
}

void GridEXPrivate::onCurrentChanged(const QModelIndex &current)
{
    const RowIdent id = identOf(current);
    if (restoring) {
        currentIdent = id;
        return;
    }
    if (id == currentIdent)
        return;
    currentIdent = id;
    emit q->rowChanged();
}

void GridEXPrivate::restoreAfter(const std::function<void()> &change, bool byKey)
{
    const QModelIndex current = view->currentIndex();
    const GridModel::Node before = model->nodeOf(current);
    const bool hadRecord
        = current.isValid() && before.type == RowType::Record && before.record >= 0;
    QVariant key;
    if (hadRecord && byKey && keyColumnIndex())
        key = model->recordValue(before.record, keyColumnIndex());
    const int hscroll = view->horizontalScrollBar()->value();

    change(); // may throw: nothing has changed then

    restoring = true;
    int record = -1;
    if (hadRecord)
        record = byKey ? findRecordByKey(key) : before.record;
    if (record >= 0) {
        const QModelIndex index
            = model->indexOf(model->recordNode(record), std::max(0, firstVisibleLogical()));
        if (index.isValid()) {
            for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
                view->expand(p);
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                               | QItemSelectionModel::Rows);
        }
    }
    currentIdent = identOf(view->currentIndex());
    view->horizontalScrollBar()->setValue(hscroll);
    restoring = false;
}

QVariant GridEX::value(int column) const
{
    const GridModel::Node node = d->model->nodeOf(d->view->currentIndex());
    if (!d->view->currentIndex().isValid() || node.type != RowType::Record)
        return {};
    return d->model->recordValue(node.record, column);
}

QString GridEX::text(int column) const
{
    const GridModel::Node node = d->model->nodeOf(d->view->currentIndex());
    if (!d->view->currentIndex().isValid() || node.type != RowType::Record)
        return {};
    return d->model->recordText(node.record, column);
}

bool GridEX::hasCurrentRecord() const
{
    const QModelIndex current = d->view->currentIndex();
    const GridModel::Node node = d->model->nodeOf(current);
    return current.isValid() && node.type == RowType::Record && node.record >= 0;
}

bool GridEX::isGroupRow() const
{
    const QModelIndex current = d->view->currentIndex();
    return current.isValid() && d->model->nodeOf(current).type != RowType::Record;
}

int GridEX::rowCount() const
{
    d->model->fetchAll();
    return d->model->flatCount();
}

RowType GridEX::rowType(int row) const
{
    return d->model->nodeAtFlat(row).type;
}

QVariant GridEX::valueAt(int row, int column) const
{
    const GridModel::Node node = d->model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return d->model->recordValue(node.record, column);
    if (node.type == RowType::GroupHeader)
        return d->model->groupValue(node.group, column);
    return {};
}

QString GridEX::textAt(int row, int column) const
{
    const GridModel::Node node = d->model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return d->model->recordText(node.record, column);
    if (column < 1 || column > columnCount())
        return {};
    const int g = node.type == RowType::GroupHeader ? node.group : -1;
    if (this->column(column).aggregate() != Aggregate::None)
        return d->model->sumText(g, column);
    return node.type == RowType::GroupHeader ? d->model->displayText(column, valueAt(row, column))
                                             : QString();
}

int GridEX::currentRow() const
{
    const QModelIndex current = d->view->currentIndex();
    return current.isValid() ? d->model->flatOf(current) : -1;
}

void GridEX::setCurrentRow(int row)
{
    if (row < 0 || row >= d->model->flatCount())
        return;
    const QModelIndex index
        = d->model->indexOf(d->model->nodeAtFlat(row), std::max(0, d->firstVisibleLogical()));
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        d->view->expand(p);
    d->view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                          | QItemSelectionModel::Rows);
    d->view->scrollTo(index);
}

int GridEX::findRow(int column, const QVariant &value) const
{
    d->model->fetchAll();
    const QString text = value.toString();
    for (int r = 0; r < d->model->recordCount(); ++r) {
        const QVariant v = d->model->recordValue(r, column);
        const bool same = (v.metaType().id() == QMetaType::QString
                           || value.metaType().id() == QMetaType::QString)
                              ? v.toString().compare(text, Qt::CaseInsensitive) == 0
                              : v == value;
        if (same && !v.isNull())
            return d->model->flatOf(d->model->recordNode(r));
    }
    return -1;
}

void GridEX::selectRows(const QList<int> &rows)
{
    QItemSelection selection;
    QModelIndex first;
    for (int row : rows) {
        const QModelIndex index = d->model->indexOf(d->model->nodeAtFlat(row), 0);
        if (!index.isValid())
            continue;
        if (!first.isValid())
            first = index;
        selection.select(index, index.sibling(index.row(), columnCount() - 1));
    }
    auto *sm = d->view->selectionModel();
    const QModelIndex current = d->view->currentIndex();
    if (first.isValid() && (!current.isValid() || !selection.contains(current)))
        sm->setCurrentIndex(first.sibling(first.row(), std::max(0, d->firstVisibleLogical())),
                            QItemSelectionModel::NoUpdate);
    sm->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<int> GridEX::selectedRows() const
{
    QList<int> rows;
    const auto indexes = d->view->selectionModel()->selectedRows(0);
    for (const QModelIndex &index : indexes)
        rows.append(d->model->flatOf(index));
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<int> GridEXPrivate::selectedRecords() const
{
    QList<int> records;
    const auto indexes = view->selectionModel()->selectedRows(0);
    for (const QModelIndex &index : indexes) {
        const GridModel::Node node = model->nodeOf(index);
        if (node.type == RowType::Record && node.record >= 0)
            records.append(node.record);
    }
    return records;
}

// ---- looks ----------------------------------------------------------------

void GridEX::setHeaderSort(bool on)
{
    d->headerSort = on;
}

void GridEXPrivate::onHeaderClicked(int logical)
{
    if (!headerSort || logical < 0 || logical >= q->columnCount())
        return;
    const int column = logical + 1;
    const auto groups = model->groups();
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
    if (model->sortColumn() == column && model->sortOrder() == SortOrder::Ascending)
        order = SortOrder::Descending;
    q->sortBy(column, order);
}

void GridEX::sortBy(int column, SortOrder order)
{
    if (column < 0 || column > columnCount())
        return;
    d->restoreAfter([&] { d->model->setSort(column, order); }, false);
}

void GridEX::setMultiSelect(bool on)
{
    d->multiSelect = on;
    d->view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
}

bool GridEX::multiSelect() const
{
    return d->multiSelect;
}

void GridEX::setAlternatingRowColors(const QColor &odd, const QColor &even)
{
    d->model->setAlternating(odd, even);
    d->view->viewport()->update();
}

void GridEX::setHeaderHeight(int pixels)
{
    if (pixels > 0)
        d->view->header()->setFixedHeight(pixels);
    else
        d->view->header()->setMinimumHeight(0);
}

void GridEX::addFormatStyle(const QString &name, const QColor &foreColor, const QColor &backColor,
                            bool bold)
{
    d->model->setStyle(FormatStyle{name, foreColor, backColor, bold});
    d->view->viewport()->update();
}

void GridEX::removeFormatStyle(const QString &name)
{
    d->model->removeStyle(name);
    d->view->viewport()->update();
}

void GridEX::clearFormatStyles()
{
    d->model->clearStyles();
    d->view->viewport()->update();
}

bool GridEX::hasFormatStyle(const QString &name) const
{
    return d->model->style(name) != nullptr;
}

FormatStyle GridEX::formatStyle(const QString &name) const
{
    const FormatStyle *s = d->model->style(name);
    return s ? *s : FormatStyle{};
}

void GridEX::setGroupRowStyle(const QColor &foreColor, const QColor &backColor)
{
    d->model->setGroupRowColors(foreColor, backColor);
    d->view->viewport()->update();
}

void GridEX::setRowFormatter(RowFormatter formatter)
{
    d->formatter = std::move(formatter);
    invalidateRowFormats();
}

void GridEXPrivate::runFormatter(GridRow &row) const
{
    emit q->formatRow(row);
    if (formatter)
        formatter(row);
}

QString GridEX::rowStyleName(int row) const
{
    const GridModel::Node node = d->model->nodeAtFlat(row);
    if (node.type == RowType::Record)
        return d->model->recordStyleName(node.record);
    if (node.type == RowType::GroupHeader)
        return d->model->groupStyleName(node.group);
    return {};
}

QString GridEX::groupCaption(int row) const
{
    const GridModel::Node node = d->model->nodeAtFlat(row);
    return node.type == RowType::GroupHeader ? d->model->groupCaption(node.group) : QString();
}

void GridEX::invalidateRowFormats()
{
    d->model->invalidateFormats();
    d->view->viewport()->update();
}

// ---- grouping ---------------------------------------------------------------

void GridEXPrivate::setGroupKeys(const QList<QPair<int, SortOrder>> &groups)
{
    QVector<GridModel::GroupKey> keys;
    for (const auto &g : groups) {
        if (g.first < 1 || g.first > q->columnCount() || keys.size() >= 2)
            continue;
        if (std::any_of(keys.begin(), keys.end(),
                        [&g](const GridModel::GroupKey &k) { return k.column == g.first; }))
            continue;
        keys.append({g.first, g.second});
    }
    restoreAfter([&] { model->setGroups(keys); }, false);
}

void GridEX::groupBy(int column, SortOrder order)
{
    QList<QPair<int, SortOrder>> keys;
    for (const auto &k : d->model->groups())
        keys.append({k.column, k.order});
    if (column < 1 || column > columnCount() || keys.size() >= 2)
        return;
    for (const auto &k : keys) {
        if (k.first == column)
            return;
    }
    keys.append({column, order});
    d->setGroupKeys(keys);
}

void GridEX::setDesignGroups(const QList<int> &columns)
{
    d->designGroups = columns;
    QList<QPair<int, SortOrder>> keys;
    for (int c : columns)
        keys.append({c, SortOrder::Ascending});
    d->setGroupKeys(keys);
}

void GridEX::group()
{
    if (!isGrouped() && !d->designGroups.isEmpty()) {
        setDesignGroups(d->designGroups);
        return;
    }
    int column = 0;
    const QModelIndex current = d->view->currentIndex();
    if (current.isValid() && !d->view->header()->isSectionHidden(current.column())
        && current.column() != d->firstVisibleLogical())
        column = current.column() + 1;
    if (!column) {
        const int logical = d->firstVisibleLogical();
        column = logical >= 0 ? logical + 1 : 0;
    }
    if (column)
        groupBy(column);
}

void GridEX::ungroup()
{
    d->setGroupKeys({});
}

QList<int> GridEX::groupColumns() const
{
    QList<int> columns;
    for (const auto &k : d->model->groups())
        columns.append(k.column);
    return columns;
}

bool GridEX::isGrouped() const
{
    return d->model->isGrouped();
}

void GridEX::setGroupByBoxVisible(bool on)
{
    d->groupBox->setVisible(on);
    d->groupBox->setProperty("wanted", on);
}

bool GridEX::groupByBoxVisible() const
{
    return d->groupBox->property("wanted").toBool();
}

void GridEX::setGroupByBoxCaption(const QString &caption)
{
    d->groupBox->setCaption(caption);
}

QString GridEX::groupByBoxCaption() const
{
    return d->groupBox->caption();
}

void GridEXPrivate::updateGroupByBox()
{
    groupBox->update();
}

void GridEX::setTotalRowVisible(bool on)
{
    d->totalRow = on;
    d->restoreAfter([&] { d->model->setTotalRow(on); }, false);
}

bool GridEX::totalRowVisible() const
{
    return d->totalRow;
}

double GridEX::totalSum(int column) const
{
    d->model->fetchAll();
    return d->model->groupSum(-1, column);
}

// ---- preview row ------------------------------------------------------------

void GridEX::setPreviewColumn(int column, int maxLines, const QColor &color)
{
    d->previewColumn = std::max(0, column); // may come before its column is added
    d->previewLines = std::max(1, maxLines);
    d->previewColor = color;
    d->view->setUniformRowHeights(d->previewColumn <= 0);
    d->view->reset();
    d->applyColumnsToView();
}

void GridEX::setPreviewField(const QString &field, int maxLines, const QColor &color)
{
    GridColumn *col = nullptr;
    for (const auto &c : d->columns) {
        if (c->field().compare(field, Qt::CaseInsensitive) == 0) {
            col = c.get();
            break;
        }
    }
    setPreviewColumn(col ? col->index() : 0, maxLines, color);
}

int GridEX::previewColumn() const
{
    return d->previewColumn;
}

// ---- drop-down --------------------------------------------------------------

void GridEX::setDropDownColumns(int valueColumn, int displayColumn)
{
    d->ddValueColumn = valueColumn;
    d->ddDisplayColumn = displayColumn;
    d->ddValid = false;
}

int GridEX::dropDownValueColumn() const
{
    return d->ddValueColumn;
}

int GridEX::dropDownDisplayColumn() const
{
    return d->ddDisplayColumn;
}

QString GridEX::dropDownText(const QVariant &code) const
{
    if (!code.isValid() || code.isNull())
        return QString();
    if (!d->ddValid) {
        d->model->fetchAll();
        d->ddCache.clear();
        for (int r = 0; r < d->model->recordCount(); ++r) {
            const QString key = d->model->recordValue(r, d->ddValueColumn).toString().toLower();
            if (!d->ddCache.contains(key))
                d->ddCache.insert(key, d->model->recordText(r, d->ddDisplayColumn));
        }
        d->ddValid = true;
    }
    return d->ddCache.value(code.toString().toLower());
}

// ---- misc -------------------------------------------------------------------

void GridEX::setCaption(const QString &caption)
{
    d->caption = caption;
}

QString GridEX::caption() const
{
    return d->caption;
}

GridPrinterSettings &GridEX::printerSettings()
{
    return d->printer;
}

const GridPrinterSettings &GridEX::printerSettings() const
{
    return d->printer;
}

QTreeView *GridEX::view() const
{
    return d->view;
}

} // namespace kq::platform
