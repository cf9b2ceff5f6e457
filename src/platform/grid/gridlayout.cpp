// Layout files of the grid: our own JSON under the screens' "*.lyt" names.

#include "platform/grid/gridex.h"
#include "platform/grid/gridex_p.h"
#include "platform/grid/gridmodel.h"

#include <cerrno>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>

namespace kq::platform {

namespace {
const QString kFormat = QStringLiteral("kq-grid-layout");
constexpr int kVersion = 1;
const QString kSource = QStringLiteral("GridEX");

QString orderText(SortOrder o)
{
    return o == SortOrder::Descending ? QStringLiteral("descending") : QStringLiteral("ascending");
}

SortOrder orderOf(const QJsonValue &v)
{
    return v.toString() == QLatin1String("descending") ? SortOrder::Descending
                                                       : SortOrder::Ascending;
}

[[noreturn]] void badFile(const QString &path, const QString &why)
{
    throw GridError(
        GridErrorNumber::LayoutFormat,
        QStringLiteral("O arquivo \"%1\" não é um lay-out válido desta grade: %2").arg(path, why),
        kSource);
}
} // namespace

void GridEX::saveLayout(const QString &path) const
{
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("version"), kVersion);
    root.insert(QStringLiteral("grid"), objectName());
    QJsonArray columns;
    for (const auto &col : d->columns) {
        QJsonObject c;
        c.insert(QStringLiteral("index"), col->index());
        c.insert(QStringLiteral("key"), col->key());
        c.insert(QStringLiteral("caption"), col->caption());
        c.insert(QStringLiteral("visible"), col->isVisible());
        c.insert(QStringLiteral("position"), col->position());
        c.insert(QStringLiteral("width"), col->width());
        columns.append(c);
    }
    root.insert(QStringLiteral("columns"), columns);
    QJsonArray groups;
    for (const auto &g : d->model->groups()) {
        QJsonObject o;
        o.insert(QStringLiteral("key"), column(g.column).key());
        o.insert(QStringLiteral("order"), orderText(g.order));
        groups.append(o);
    }
    root.insert(QStringLiteral("groups"), groups);
    if (d->model->sortColumn() > 0) {
        QJsonObject o;
        o.insert(QStringLiteral("key"), column(d->model->sortColumn()).key());
        o.insert(QStringLiteral("order"), orderText(d->model->sortOrder()));
        root.insert(QStringLiteral("sort"), o);
    }
    root.insert(QStringLiteral("groupByBox"), groupByBoxVisible());

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        const int why = errno;
        throw GridError(GridErrorNumber::LayoutWrite,
                        QStringLiteral("Não foi possível gravar o lay-out em \"%1\": %2.")
                            .arg(path, kq::data::fileErrorReason(why, file.errorString())),
                        kSource, file.errorString());
    }
}

void GridEX::loadLayout(const QString &path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int why = errno;
        throw GridError(GridErrorNumber::LayoutRead,
                        QStringLiteral("Não foi possível ler o lay-out \"%1\": %2.")
                            .arg(path, kq::data::fileErrorReason(why, file.errorString())),
                        kSource, file.errorString());
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        badFile(path, QStringLiteral("o conteúdo está corrompido."));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat)
        badFile(path, QStringLiteral("não é um arquivo de lay-out de grade."));
    if (root.value(QStringLiteral("version")).toInt() != kVersion)
        badFile(path, QStringLiteral("versão desconhecida."));
    const QJsonValue columnsValue = root.value(QStringLiteral("columns"));
    if (!columnsValue.isArray())
        badFile(path, QStringLiteral("faltam as colunas."));

    // Read and check everything before changing the grid.
    struct Setting
    {
        GridColumn *column;
        QString caption;
        bool visible;
        int position;
        int width;
    };
    QVector<Setting> settings;
    for (const QJsonValue &v : columnsValue.toArray()) {
        const QJsonObject c = v.toObject();
        const QString key = c.value(QStringLiteral("key")).toString();
        if (!v.isObject() || !c.value(QStringLiteral("caption")).isString()
            || !c.value(QStringLiteral("visible")).isBool()
            || !c.value(QStringLiteral("position")).isDouble()
            || !c.value(QStringLiteral("width")).isDouble())
            badFile(path, QStringLiteral("uma coluna está incompleta."));
        GridColumn *col = key.isEmpty() ? nullptr : columnByKey(key);
        if (!col)
            continue;
        settings.append({col, c.value(QStringLiteral("caption")).toString(),
                         c.value(QStringLiteral("visible")).toBool(),
                         c.value(QStringLiteral("position")).toInt(),
                         c.value(QStringLiteral("width")).toInt()});
    }
    if (settings.isEmpty() && !d->columns.empty())
        badFile(path, QStringLiteral("é de outra grade (nenhuma coluna corresponde)."));
    QList<QPair<int, SortOrder>> groups;
    for (const QJsonValue &v : root.value(QStringLiteral("groups")).toArray()) {
        GridColumn *col = columnByKey(v.toObject().value(QStringLiteral("key")).toString());
        if (col)
            groups.append({col->index(), orderOf(v.toObject().value(QStringLiteral("order")))});
    }
    int sortColumn = 0;
    SortOrder sortOrder = SortOrder::Ascending;
    const QJsonObject sort = root.value(QStringLiteral("sort")).toObject();
    if (GridColumn *col = columnByKey(sort.value(QStringLiteral("key")).toString())) {
        sortColumn = col->index();
        sortOrder = orderOf(sort.value(QStringLiteral("order")));
    }

    // Apply: columns named in the file take its positions, the others keep
    // their order around them.
    QHash<int, double> rank;
    for (int p = 0; p < d->positions.size(); ++p)
        rank.insert(d->positions[p], p + 1);
    for (const Setting &s : settings) {
        s.column->m_caption = s.caption;
        s.column->m_visible = s.visible;
        s.column->m_width = std::max(0, s.width);
        rank[s.column->index()] = s.position - 0.5;
    }
    std::stable_sort(d->positions.begin(), d->positions.end(),
                     [&rank](int a, int b) { return rank.value(a) < rank.value(b); });
    if (root.contains(QStringLiteral("groupByBox")))
        setGroupByBoxVisible(root.value(QStringLiteral("groupByBox")).toBool());
    QVector<GridModel::GroupKey> keys;
    for (const auto &g : groups) {
        if (keys.size() < 2)
            keys.append({g.first, g.second});
    }
    d->restoreAfter(
        [&] {
            d->model->setSort(sortColumn, sortOrder);
            d->model->setGroups(keys);
        },
        false);
    emit d->model->headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

} // namespace kq::platform
