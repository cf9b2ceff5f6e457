#pragma once

#include "import/jet/boundedreader.h"
#include "support/base_data.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QPair>
#include <QString>

#include <cstdlib>
#include <vector>

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

// The fixture with its table and fields renamed, as a file of the old
// program names them. A name is stored as UTF-16; the new one, no longer
// than the old, goes in its place in the compressed form the reader also
// reads (0xFF 0xFE, a byte a character, zero bytes that change nothing).
inline QByteArray renamedJet(const QString &table,
                             const QList<QPair<QString, QString>> &fields = {})
{
    QByteArray bytes = fileBytes(jetFixture());
    QList<QPair<QString, QString>> names = fields;
    names.prepend({QStringLiteral("DateTest"), table});
    for (const auto &[from, to] : std::as_const(names)) {
        const QByteArray old(reinterpret_cast<const char *>(from.utf16()), from.size() * 2);
        QByteArray compressed = QByteArray("\xff\xfe") + to.toLatin1();
        Q_ASSERT(compressed.size() <= old.size());
        compressed.append(old.size() - compressed.size(), '\0');
        bytes.replace(old, compressed);
    }
    return bytes;
}

// A devolvidos.mdb of the old program with one of its tables: situacoes,
// six rows whose codes and descriptions are the fixture's texts.
inline QByteArray oldDevolvidosBytes()
{
    return renamedJet(QStringLiteral("situacoes"),
                      {{QStringLiteral("ShortTextCol"), QStringLiteral("CD_situacao")},
                       {QStringLiteral("LongTextCol"), QStringLiteral("DS_situacao")}});
}

// A tutorial.mdb of the old program: filmes, six rows, one field of it.
inline QByteArray oldTutorialBytes()
{
    return renamedJet(QStringLiteral("filmes"),
                      {{QStringLiteral("ShortTextCol"), QStringLiteral("DS_MODULO")}});
}

// The import reads each old file in a child process, the running program
// in its helper mode: a test program that imports serves as that helper too
// (called from its initMain(), before the application object).
inline void serveAsReader()
{
    QFile cmdline(QStringLiteral("/proc/self/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> args = cmdline.readAll().split('\0');
    if (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    const int status = kq::import::runReaderMode(int(argv.size()), argv.data());
    if (status >= 0)
        std::exit(status);
}

} // namespace kq::test
