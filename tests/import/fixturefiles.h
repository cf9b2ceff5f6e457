#pragma once

#include "support/base_data.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

namespace kq::test {

// The test files of tests/fixtures.
inline QString fixtureFile(const QString &name)
{
    return qEnvironmentVariable("KQ_TEST_SOURCE_DIR") + QStringLiteral("/tests/fixtures/") + name;
}

// The public Jet 4 test file: one table DateTest, six rows.
inline QString jetFixture()
{
    return fixtureFile(QStringLiteral("jet/DateTestDatabase.mdb"));
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every file and folder under a folder, with the checksum of each file: what
// "left exactly as it was" compares.
inline QMap<QString, QByteArray> folderSnapshot(const QString &dir)
{
    QMap<QString, QByteArray> all;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        all.insert(QDir(dir).relativeFilePath(path),
                   it.fileInfo().isDir()
                       ? QByteArray("<pasta>")
                       : QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256));
    }
    return all;
}

// The fixture made into a file of a newer Access (".accdb" signature).
inline QByteArray newerAccessBytes()
{
    QByteArray bytes = fileBytes(jetFixture());
    bytes.replace(4, 16, QByteArray("Standard ACE DB\0", 16));
    bytes[0x14] = 0x02;
    return bytes;
}

} // namespace kq::test
