#pragma once

// Inner state of CubeModel, shared by its source files (engine, files, export).

#include "cube/model/cubemodel.h"

#include <QCborMap>
#include <QHash>
#include <QVector>
#include <limits>
#include <memory>

namespace kq::platform {

// An empty cell or aggregate.
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One column of the source rows, dictionary-encoded: codes index dict (-1 Null).
struct CubeColumn
{
    QString name;
    QVector<QVariant> dict;
    QVector<int> codes;
};

// What reading the record source gave.
struct CubeSourceRead
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    int code = 0; // the engine's code of the failure
    QVector<CubeColumn> columns;
    int rows = 0;
};

// Runs the statement (a translated record source) on the database of path, a file or the
// server that holds a data folder's business database (read forward, a batch
// at a time), and encodes its rows; progress hears of the rows read every few
// thousand rows, and false from it stops the reading (cancelled).
CubeSourceRead readCubeSource(const QString &path, const QString &sql,
                              const CubeProgress &progress);

// One row or column of the laid-out grid.
struct CubeLine
{
    int node = 0;       // the node whose aggregate fills the line
    int depth = 0;      // heading levels of dimensions
    bool total = false; // a total line of node's group (at level depth)
    int data = -1;      // columns: index into the shown data fields (-1 none)
};

// The member trie of an axis: one node per member path, numbered in the
// depth-first order of the paths (0 = the root, the whole axis; a parent
// comes before its children). Node n stands at depth[n] (0 = root) for
// member[n] of the field at position depth[n] - 1 (-1 for the root, or for a
// field not in the source); its children are children[childBegin[n] ..
// childBegin[n + 1]), in member order until the layout sorts them.
struct CubeAxis
{
    QVector<CubeField *> fields; // by position
    QVector<int> parent;
    QVector<int> depth;
    QVector<int> member;
    QVector<int> childBegin;
    QVector<int> children;
    QVector<CubeLine> lines;

    int nodeCount() const { return int(parent.size()); }
    bool hasChildren(int n) const { return childBegin.at(n + 1) > childBegin.at(n); }
    // The root alone.
    void reset();
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

    QVector<CubeField *> fields;   // every field, in the order of adding (owned)
    QVector<CubeField *> order[5]; // per orientation, display order
    int nextDataIndex = 1;
    std::unique_ptr<CubeFields> collections[6]; // [0] all, [1..5] orientation + 1

    // Source rows.
    bool sourceDirty = true;
    bool haveData = false;
    int rowCount = 0;
    QVector<CubeColumn> columns;

    // Per field evaluation: the member of every dictionary code of its source
    // column (dimensions), or the value of every source row (data fields).
    struct FieldEval
    {
        bool valid = false;
        int column = -1;           // dimensions: the source column, -1 none
        QVector<int> memberOfCode; // [0] Null, [code + 1] that code; -1 none
        QVector<double> value;     // data fields: per source row (NaN = Null)
    };
    QHash<CubeField *, FieldEval> evals;

    // Layout.
    bool aggDirty = true;
    bool displayDirty = true;
    int layouts = 0;
    CubeAxis rows, cols;
    QVector<CubeField *> aggFields; // data fields with accumulators (not calculated)
    QVector<CubeField *> dataOrder; // every data field, index = slot in cells
    QVector<CubeField *> shownData; // shown data fields by position
    // Cells: those of row node n are cellColumn[cellBegin[n] .. cellEnd[n]),
    // ascending by column node; a cell's index is its slot. Every cell holds
    // accWidth values: per aggregated field, at accOffset, sum and count, then
    // min and max when accMinMax.
    QVector<int> cellBegin, cellEnd;
    QVector<int> cellColumn;
    QVector<double> acc;
    QVector<double> rankTotals; // per axis node, while sorting by rank
    int accWidth = 0;
    QVector<int> accOffset;
    QVector<char> accMinMax;
    int curRow = 0, curCol = 0, cornerRow = 0, cornerCol = 0;
    // A long piece of work runs (the grid is not to be laid out meanwhile).
    bool busy = false;
    // The last reading of the source was cancelled: no reading again until
    // asked for.
    bool readCancelled = false;

    void fieldSourceChanged(CubeField *f);
    void moveToArea(CubeField *f, int orientation);
    bool loadSource(const CubeProgress &progress = {});
    bool evaluate(CubeField *f);
    void buildItems(CubeField *f, const QVector<QVariant> &values, const QVector<int> &map);
    void layout();
    void aggregate();
    void display();
    void buildLines(CubeAxis &axis, bool columns);
    void emitChildren(CubeAxis &axis, int node, QVector<CubeLine> &out);
    void clearCells();
    bool nodeExpanded(const CubeAxis &axis, int node) const;
    QString nodePath(const CubeAxis &axis, int node) const;
    void sortChildren(CubeAxis &axis, int node, bool columns);
    int slotOf(int rowNode, int colNode) const;
    double aggValue(int slot, CubeField *f, bool *empty) const;
    // The value where a row line and a column line meet (invalid: empty).
    QVariant lineValue(const CubeLine &row, const CubeLine &column) const;
    double fieldValue(int slot, CubeField *f, bool *empty, int depth = 0) const;
    int headingNode(const CubeAxis &axis, const CubeLine &line, int level0) const;
    int ancestorAt(const CubeAxis &axis, int node, int depth) const;
    CubeHeading heading(const CubeAxis &axis, const CubeLine &line, int level, bool columns) const;
    bool sameHeading(const CubeAxis &axis, int a, int b, int level, bool columns) const;
    bool sameNodeAt(const CubeAxis &axis, const CubeLine &a, const CubeLine &b, int level) const;
    QCborMap encode(bool withData);
    static void apply(CubeModel &target, const QCborMap &m);
    // The source rows of a file; false when damaged or cancelled (*cancelled).
    bool applyData(const QCborMap &data, const CubeProgress &progress, bool *cancelled);
    // Records a failure and raises errorOccurred; false.
    bool fail(int code, const QString &description, const QString &source);
    // The same, as an operation's result.
    CubeResult failed(int code, const QString &description, const QString &source);
    // An operation starts with no failure recorded.
    void clearError();
    // The operation's result from the failure recorded, if any.
    CubeResult result() const;
};

} // namespace kq::platform
