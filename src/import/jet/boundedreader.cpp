#include "import/jet/boundedreader.h"

#include "data/datafolder.h"
#include "data/schema.h"
#include "import/importerror.h"
#include "import/jet/jetreader.h"
#include "import/mapping.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <mutex>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KQ_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KQ_ADDRESS_SANITIZER 1
#endif
#endif

namespace kq::import {

namespace {

// The files the helper leaves in its folder: the rows of every table read,
// one after the other, and then the list of the tables.
const QString kRowsFile = QStringLiteral("registros");
const QString kTablesFile = QStringLiteral("tabelas");
const QString kRefusalFile = QStringLiteral("recusa");
constexpr quint32 kTablesMark = 0x6b71746a;
// The helper's status when the reader refused the file (its message is in
// kRefusalFile).
constexpr int kRefused = 3;
// What is kept of the library's messages for the error log.
constexpr qsizetype kNotesKept = 64 * 1024;

struct StoredTable
{
    QString name;
    QStringList columns;
    qint64 statedRows = 0;
    qint64 rows = 0;
    qint64 offset = 0;
};

QDataStream &operator<<(QDataStream &out, const StoredTable &t)
{
    return out << t.name << t.columns << t.statedRows << t.rows << t.offset;
}

QDataStream &operator>>(QDataStream &in, StoredTable &t)
{
    return in >> t.name >> t.columns >> t.statedRows >> t.rows >> t.offset;
}

void write(QDataStream &out, const SourceValue &v)
{
    out << quint8(v.type);
    switch (v.type) {
    case SourceValue::Type::Null:
        break;
    case SourceValue::Type::Boolean:
    case SourceValue::Type::Integer:
    case SourceValue::Type::Currency:
        out << v.integer;
        break;
    case SourceValue::Type::Real:
    case SourceValue::Type::DateTime:
        out << v.real;
        break;
    case SourceValue::Type::Text:
        out << v.text;
        break;
    case SourceValue::Type::Binary:
        out << v.bytes;
        break;
    }
}

bool read(QDataStream &in, SourceValue &v)
{
    quint8 type = 0;
    in >> type;
    v = SourceValue();
    v.type = SourceValue::Type(type);
    switch (v.type) {
    case SourceValue::Type::Null:
        break;
    case SourceValue::Type::Boolean:
    case SourceValue::Type::Integer:
    case SourceValue::Type::Currency:
        in >> v.integer;
        break;
    case SourceValue::Type::Real:
    case SourceValue::Type::DateTime:
        in >> v.real;
        break;
    case SourceValue::Type::Text:
        in >> v.text;
        break;
    case SourceValue::Type::Binary:
        in >> v.bytes;
        break;
    default:
        return false;
    }
    return in.status() == QDataStream::Ok;
}

QString damaged(const QString &path)
{
    return QStringLiteral("O arquivo %1 está danificado ou não é um banco do Access que o sistema "
                          "importa.")
        .arg(QFileInfo(path).fileName());
}

// The tables of every database of the program, case folded.
QSet<QString> programTableKeys()
{
    QSet<QString> keys;
    for (const QString &file : kq::data::databaseFileNames())
        for (const QString &table : programTables(file))
            keys.insert(table.toCaseFolded());
    return keys;
}

// The helper: reads the program's tables of `path` into `folder`.
void readInto(const QString &path, const QString &folder)
{
    const std::unique_ptr<SourceDatabase> db = openJetDatabase(path);
    QFile rowsFile(QDir(folder).filePath(kRowsFile));
    if (!rowsFile.open(QIODevice::WriteOnly))
        throw ImportError(
            QStringLiteral("A pasta temporária %1 não pôde ser gravada.").arg(folder));
    QDataStream rows(&rowsFile);
    const QSet<QString> wanted = programTableKeys();
    QList<StoredTable> stored;
    for (const QString &name : db->tableNames()) {
        if (!wanted.contains(name.toCaseFolded()))
            continue;
        const std::unique_ptr<SourceTable> table = db->table(name);
        StoredTable t{name, table->columns(), table->rowCount(), 0, rowsFile.pos()};
        SourceRow row;
        while (table->next(row)) {
            for (const SourceValue &v : std::as_const(row))
                write(rows, v);
            ++t.rows;
        }
        stored << t;
    }
    rowsFile.close();
    QFile tablesFile(QDir(folder).filePath(kTablesFile));
    if (rows.status() != QDataStream::Ok || !tablesFile.open(QIODevice::WriteOnly))
        throw ImportError(
            QStringLiteral("A pasta temporária %1 não pôde ser gravada.").arg(folder));
    QDataStream tables(&tablesFile);
    tables << db->tableNames() << stored << kTablesMark;
}

// A table the helper read, from its folder.
class StoredSourceTable : public SourceTable
{
public:
    StoredSourceTable(const QString &rowsPath, const StoredTable &table, const QString &file)
        : m_table(table)
        , m_rows(rowsPath)
        , m_file(file)
    {
        if (!m_rows.open(QIODevice::ReadOnly) || !m_rows.seek(m_table.offset))
            throw ImportError(damaged(m_file));
        m_in.setDevice(&m_rows);
    }
    QString name() const override { return m_table.name; }
    QStringList columns() const override { return m_table.columns; }
    qint64 rowCount() const override { return m_table.statedRows; }
    bool next(SourceRow &row) override
    {
        if (m_read == m_table.rows)
            return false;
        row.resize(m_table.columns.size());
        for (SourceValue &v : row)
            if (!read(m_in, v))
                throw ImportError(damaged(m_file));
        ++m_read;
        return true;
    }

private:
    StoredTable m_table;
    QFile m_rows;
    QDataStream m_in;
    QString m_file;
    qint64 m_read = 0;
};

class StoredDatabase : public SourceDatabase
{
public:
    StoredDatabase(const QString &path, std::unique_ptr<QTemporaryDir> folder)
        : m_path(path)
        , m_folder(std::move(folder))
    {
        QFile f(m_folder->filePath(kTablesFile));
        if (!f.open(QIODevice::ReadOnly))
            throw ImportError(damaged(m_path));
        QDataStream in(&f);
        QList<StoredTable> stored;
        quint32 mark = 0;
        in >> m_names >> stored >> mark;
        if (in.status() != QDataStream::Ok || mark != kTablesMark)
            throw ImportError(damaged(m_path));
        for (const StoredTable &t : std::as_const(stored))
            m_tables.insert(t.name, t);
    }
    QString fileName() const override { return QFileInfo(m_path).fileName(); }
    QStringList tableNames() const override { return m_names; }
    std::unique_ptr<SourceTable> table(const QString &name) override
    {
        const auto it = m_tables.constFind(name);
        if (it == m_tables.cend())
            throw ImportError(
                QStringLiteral("A tabela %1 do arquivo %2 não foi lida.").arg(name, fileName()));
        return std::make_unique<StoredSourceTable>(m_folder->filePath(kRowsFile), *it, fileName());
    }

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_names;
    QHash<QString, StoredTable> m_tables;
};

std::mutex g_notesMutex;
std::function<void(const QString &)> g_notes;

void tell(const QByteArray &notes)
{
    if (notes.trimmed().isEmpty())
        return;
    const std::lock_guard lock(g_notesMutex);
    if (g_notes)
        g_notes(QString::fromUtf8(notes).trimmed());
}

void keep(QByteArray &notes, const QByteArray &more)
{
    if (notes.size() < kNotesKept)
        notes += more.left(kNotesKept - notes.size());
}

// The limits, set in the child between fork and exec.
void limitChild(const ReaderLimits &limits)
{
    const auto set = [](int resource, rlim_t value) {
        const rlimit r{value, value};
        setrlimit(resource, &r);
    };
#ifndef KQ_ADDRESS_SANITIZER
    // The sanitizer reserves a vast address space; its own limit is set
    // through its options instead.
    set(RLIMIT_AS, rlim_t(limits.memoryBytes));
#endif
    set(RLIMIT_CPU, rlim_t(limits.seconds) + 1);
    set(RLIMIT_CORE, 0);
    // The child goes with the program.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

} // namespace

ReaderLimits readerLimits(qint64 size)
{
    constexpr qint64 kMiB = 1024 * 1024;
    // The library holds a page or two and the catalog; the program itself
    // takes some hundreds of megabytes of address space.
    ReaderLimits limits;
    limits.memoryBytes = 1024 * kMiB + 2 * size;
    // A megabyte of an old file is read in well under a second.
    limits.seconds = int(qMin<qint64>(10 + size / kMiB, 3600));
    return limits;
}

int runReaderMode(int argc, char **argv)
{
    if (argc < 2 || QString::fromLocal8Bit(argv[1]) != kReaderMode)
        return -1;
    if (argc != 4)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    int status = 0;
    try {
        readInto(path, folder);
    } catch (const ImportError &e) {
        QFile refusal(QDir(folder).filePath(kRefusalFile));
        if (refusal.open(QIODevice::WriteOnly))
            refusal.write(e.message().toUtf8());
        status = kRefused;
    }
    // What the library leaves allocated after a damaged file goes with the
    // process: no exit handlers (nor a leak check) run.
    std::fflush(nullptr);
    _exit(status);
}

void setReaderNoteReceiver(std::function<void(const QString &)> receiver)
{
    const std::lock_guard lock(g_notesMutex);
    g_notes = std::move(receiver);
}

std::unique_ptr<SourceDatabase> openBoundedJetDatabase(const QString &path,
                                                       const ReaderLimits &limits)
{
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        throw ImportError(QStringLiteral("Não foi possível criar uma pasta temporária para ler "
                                         "o arquivo %1.")
                              .arg(QFileInfo(path).fileName()));
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({kReaderMode, QFileInfo(path).absoluteFilePath(), folder->path()});
    child.setStandardInputFile(QProcess::nullDevice());
    child.setStandardOutputFile(QProcess::nullDevice());
#ifdef KQ_ADDRESS_SANITIZER
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS"))
                   + QStringLiteral(":hard_rss_limit_mb=%1").arg(limits.memoryBytes >> 20));
    child.setProcessEnvironment(env);
#endif
    child.setChildProcessModifier([limits] { limitChild(limits); });
    QDeadlineTimer deadline(qint64(limits.seconds) * 1000);
    child.start();
    if (!child.waitForStarted())
        throw ImportError(QStringLiteral("O leitor de arquivos do Access não pôde ser iniciado "
                                         "para o arquivo %1.")
                              .arg(QFileInfo(path).fileName()));
    // Read as it comes, so that a reader that writes without end takes no
    // more than what is kept.
    QByteArray notes;
    bool late = false;
    while (child.state() != QProcess::NotRunning && !child.waitForFinished(100)) {
        keep(notes, child.readAllStandardError());
        if (deadline.hasExpired()) {
            late = true;
            child.kill();
            child.waitForFinished(-1);
            break;
        }
    }
    keep(notes, child.readAllStandardError());
    tell(notes);
    const bool ended = !late && child.exitStatus() == QProcess::NormalExit;
    if (ended && child.exitCode() == kRefused) {
        QFile refusal(folder->filePath(kRefusalFile));
        if (refusal.open(QIODevice::ReadOnly))
            throw ImportError(QString::fromUtf8(refusal.readAll()));
    }
    if (!ended || child.exitCode() != 0)
        throw ImportError(damaged(path));
    return std::make_unique<StoredDatabase>(path, std::move(folder));
}

} // namespace kq::import
