#pragma once

#include <QString>
#include <QVector>
#include <optional>

namespace kq::platform {

// A report file "N_*.rpt": JSON text of our own.
//   {"formato": "kq-730-relatorio", "versao": 1,
//    "titulo": "...", "orientacao": "retrato" | "paisagem",
//    "campos": "<SELECT list>", "tabelas": "<FROM clause>",
//    "filtro": "<fixed condition, optional>", "ordem": "<ORDER BY, optional>",
//    "colunas": [{"campo", "titulo", "formato", "largura", "alinhamento", "total"}],
//    "grupos": [{"campo", "titulo", "formato"}]}
// "formato" is a display format ("0.00", "Currency", "dd/mm/yyyy"...);
// "largura" a relative width; "alinhamento" "esquerda" | "direita" | "centro";
// "total" "soma" or "contagem". Groups nest in their order; each ends with
// its totals, and the report with the grand totals.
struct ReportColumn
{
    QString field;
    QString caption;
    QString format;
    int width = 10;
    QString alignment; // "" follows the value: numbers right, others left
    QString total;     // "", "soma", "contagem"
};

struct ReportGroup
{
    QString field;
    QString caption;
    QString format;
};

struct ReportDefinition
{
    QString title;
    bool landscape = false;
    QString select;
    QString from;
    QString filter;
    QString orderBy;
    QVector<ReportColumn> columns;
    QVector<ReportGroup> groups;

    // Reads a report file; empty optional and *error when it cannot.
    static std::optional<ReportDefinition> load(const QString &path, QString *error);
    static std::optional<ReportDefinition> parse(const QByteArray &text, QString *error);
    // The JSON text of a definition.
    QByteArray toJson() const;
};

} // namespace kq::platform
