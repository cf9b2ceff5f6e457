#pragma once

#include <QString>
#include <stdexcept>

namespace kq::import {

// A failure of an import, told in the program's words: which file, table,
// row and field, and why. Nothing of the import is left behind.
class ImportError : public std::runtime_error
{
public:
    explicit ImportError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The user cancelled the import; nothing of it is left behind.
class ImportCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "import cancelled"; }
};

} // namespace kq::import
