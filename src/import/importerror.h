#pragma once

#include "data/dataerror.h"

#include <QString>

namespace kq::import {

// A failure of an import, told in the program's words: which file, table,
// row and field, and why. Nothing of the import is left behind. Numbered 5,
// as any failure the old runtime did not number.
class ImportError : public kq::data::NumberedError
{
public:
    explicit ImportError(const QString &message);
    QString message() const { return description(); }
};

// The user cancelled the import; nothing of it is left behind.
class ImportCancelled : public kq::data::NumberedError
{
public:
    ImportCancelled();
};

} // namespace kq::import
