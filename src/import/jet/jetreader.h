#pragma once

#include "import/folderimport.h"
#include "import/source.h"

#include <memory>

namespace kq::import {

// Opens an Access database (Jet 3 or Jet 4) for reading, through Debian's
// Jet reader library, after checkJetFile. Texts of a Jet 3 file are read as
// Windows-1252, those of Jet 4 as stored; Yes/No, numbers, money and dates
// come in their stored form (see SourceValue). A file that turns out
// incomplete or damaged while it is read raises ImportError naming the file,
// and the table and row when there is one.
std::unique_ptr<SourceDatabase> openJetDatabase(const QString &path);

// importFolder() with this reader, each file read in a child process under
// limits (openBoundedJetDatabase).
FolderReport importAccessFolder(const QString &dir, const ImportOptions &options,
                                kq::platform::Progress *progress = nullptr);

} // namespace kq::import
