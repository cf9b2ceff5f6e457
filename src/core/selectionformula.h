#pragma once

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

namespace kq::platform {

// A selection formula turned into SQL: the condition text with "?" where
// each value goes, and the values to bind.
struct SqlCondition
{
    QString where;
    QVariantList values;
};

// A text as a literal of the formula language: between apostrophes, each
// apostrophe inside doubled. parseSelectionFormula reads it back as the same
// text, whatever it holds (quotes, braces, control characters, NUL).
QString formulaText(const QString &text);

// Gives the SQL name of {table.field}, or "" when the report may not name it.
using FieldResolver = std::function<QString(const QString &table, const QString &field)>;

// Parses a selection formula of the reports:
//   formula := [ or ]            (empty: every row)
//   or      := and { OR and }
//   and     := not { AND not }   (AND/OR/NOT in any letter case)
//   not     := NOT not | "(" or ")" | {table.field} op literal
//   op      := = <> < > <= >=
//   literal := #YYYY/MM/DD# (a date) | 'text' ('' inside for ') | number
// No text of the formula reaches the SQL except through the resolver: dates,
// texts and numbers become bound values. Empty optional and *error on a
// malformed formula or a field the resolver refuses.
std::optional<SqlCondition> parseSelectionFormula(const QString &formula,
                                                  const FieldResolver &resolve,
                                                  QString *error = nullptr);

} // namespace kq::platform
