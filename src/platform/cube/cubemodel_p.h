#pragma once

// Inner state of CubeModel, shared by its source files (engine, files, export).

#include "platform/cube/cubemodel.h"

#include <QCborMap>
#include <QHash>
#include <QVector>
#include <memory>

namespace kq::platform {

// One column of the source rows, dictionary-encoded: codes index dict (-1 Null).
struct CubeColumn
{
    QString name;
    QVector<QVariant> dict;
    QVector<int> codes;
};

// A node of an axis trie: one member path.
struct CubeNode
{
    int parent = -1;
    int depth = 0;     // 0 = root (the whole axis)
    int member = -1;   // member index in the field at position depth - 1
    QVector<int> children;
};

// One row or column of the laid-out grid.
struct CubeLine
{
    int node = 0;      // the node whose aggregate fills the line
    int depth = 0;     // heading levels of dimensions
    bool total = false; // a total line of node's group (at level depth)
    int data = -1;     // columns: index into the shown data fields (-1 none)
};

struct CubeAxis
{
    QVector<CubeField *> fields; // by position
    QVector<CubeNode> nodes;     // 0 = root
    QVector<CubeLine> lines;
    QHash<qint64, int> childIndex; // (parent << 32 | member) -> node
};

struct CubeModel::Data
{
    explicit Data(CubeModel *model);

    CubeModel *q;
    int connectType = 1;
    QString connect;
    QString databaseName;
    QString recordSource;
    bool autoRefresh = true;
    QString yearPart, quarterPart, monthPart, weekPart;
    QString header, footer;
    CubeStyle style;
    QString password;
    int lastCode = 0;
    QString lastError;

    QVector<CubeField *> fields; // every field, in the order of adding (owned)
    QVector<CubeField *> order[5]; // per orientation, display order
    int nextDataIndex = 1;
    std::unique_ptr<CubeFields> collections[6]; // [0] all, [1..5] orientation + 1

    // Source rows.
    bool sourceDirty = true;
    bool haveData = false;
    int rowCount = 0;
    QVector<CubeColumn> columns;

    // Per field evaluation (member per row or value per row).
    struct FieldEval
    {
        bool valid = false;
        QVector<int> member;   // dimensions: member index per source row (-1 none)
        QVector<double> value; // data fields: value per source row (NaN = Null)
    };
    QHash<CubeField *, FieldEval> evals;

    // Layout.
    bool aggDirty = true;
    bool displayDirty = true;
    int layouts = 0;
    CubeAxis rows, cols;
    QVector<CubeField *> aggFields;   // data fields with accumulators (not calculated)
    QVector<CubeField *> dataOrder;   // every data field, index = slot in cells
    QVector<CubeField *> shownData;   // shown data fields by position
    QHash<qint64, int> cellSlot;      // (rowNode * colNodeCount + colNode) -> slot
    QVector<double> acc;              // slot * aggFields * 4 (sum, count, min, max)
    int curRow = 0, curCol = 0, cornerRow = 0, cornerCol = 0;

    void fieldSourceChanged(CubeField *f);
    void moveToArea(CubeField *f, int orientation);
    bool loadSource();
    bool evaluate(CubeField *f);
    void buildItems(CubeField *f, const QVector<QVariant> &values, const QVector<int> &map);
    void layout();
    void aggregate();
    void display();
    void buildLines(CubeAxis &axis, bool columns);
    void emitChildren(CubeAxis &axis, int node, QVector<CubeLine> &out);
    bool nodeExpanded(const CubeAxis &axis, int node) const;
    QString nodePath(const CubeAxis &axis, int node) const;
    void sortChildren(CubeAxis &axis, int node, bool columns);
    int slotOf(int rowNode, int colNode) const;
    double aggValue(int slot, CubeField *f, bool *empty) const;
    double fieldValue(int slot, CubeField *f, bool *empty, int depth = 0) const;
    int headingNode(const CubeAxis &axis, const CubeLine &line, int level0) const;
    int ancestorAt(const CubeAxis &axis, int node, int depth) const;
    CubeHeading heading(const CubeAxis &axis, const CubeLine &line, int level, bool columns) const;
    QCborMap encode(bool withData);
    static void apply(CubeModel &target, const QCborMap &m);
    bool applyData(const QCborMap &data);
    bool fail(int code, const QString &description, const QString &source);
};

} // namespace kq::platform
