#pragma once

#include "data/dataerror.h"
#include "data/rowstream.h"
#include "platform/report/reportdefinition.h"

#include <QDateTime>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

namespace kq::platform {

// One printed line of a report (before pagination).
struct ReportLine
{
    enum Kind { GroupHeader, Detail, GroupTotal, GrandTotal };
    Kind kind = Detail;
    int level = 0;
    QString text;      // group caption lines
    QStringList cells; // per column
};

// The lines of one run of a report: the definition's query over a database
// with a selection formula (parsed into bound values; fields of the
// definition's tables only), read a part at a time and kept packed, so that
// a report of a million cheques takes little memory and its first page is
// ready as soon as the database gives its first rows.
class ReportDocument
{
public:
    ~ReportDocument();

    // Runs the query (ReportQuery: read group by group where the database
    // would sort every row before the first). nullptr and *error on failure.
    static std::unique_ptr<ReportDocument> open(const ReportDefinition &def, const QString &dbPath,
                                                const QString &formula, QString *error);

    // Reads up to `rows` more records; false once every record is read.
    // Throws DataError when the reading fails: the document stays incomplete
    // (no totals) and every later read throws the same failure.
    bool readMore(int rows);
    // Reads until at least `lines` lines exist or every record is read.
    void readLines(int lines);
    void readAll();
    bool isComplete() const { return m_complete; }

    const ReportDefinition &definition() const { return m_def; }
    QString formula() const { return m_formula; }
    QDateTime made() const { return m_made; }
    qint64 recordCount() const { return m_records; }
    int lineCount() const { return int(m_index.size()); }
    ReportLine line(int i) const;
    ReportLine::Kind kind(int i) const { return ReportLine::Kind(m_kinds[size_t(i)]); }

    // Every line (tests and small reports).
    QVector<ReportLine> lines() const;

    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

private:
    ReportDocument() = default;
    void append(const ReportLine &line);
    // A line already packed: the caption, then each cell after a separator.
    void appendPacked(ReportLine::Kind kind, int level, const QByteArray &bytes);
    void addRow(const kq::data::RowStream::Cell *row);
    // The first group whose value the row changes; the group count when none.
    int changedGroup(const kq::data::RowStream::Cell *row) const;
    void finish();
    void closeGroups(int from);
    void totalLine(int level, const QString &caption);

    ReportDefinition m_def;
    QString m_formula;
    QDateTime m_made;
    std::unique_ptr<kq::data::RowStream> m_rows;
    QVector<int> m_fields;   // query column of each column, then of each group
    QVector<int> m_formats;  // how each column's cells are written (CellFormat)
    QVector<int> m_totalled; // columns that carry a total
    QVector<bool> m_summed;  // columns whose total is a sum
    bool m_complete = false;
    std::optional<kq::data::DataError> m_failure;
    qint64 m_records = 0;

    // Lines packed in blocks: kind, level, length, then the UTF-8 of the
    // caption and the cells separated by a unit separator.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockUsed = 0;
    std::vector<quint64> m_index; // block << 32 | offset
    std::vector<quint8> m_kinds;

    // Running groups and totals.
    std::vector<kq::data::RowStream::Cell> m_cells; // the row being read
    QByteArray m_packed;                            // its detail line
    QVariantList m_current;
    QVector<QByteArray> m_currentBytes; // UTF-8 of the current texts
    QStringList m_captions;
    QVector<QVector<double>> m_sums;
    QVector<QVector<int>> m_counts;
};

} // namespace kq::platform
