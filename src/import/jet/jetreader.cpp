#include "import/jet/jetreader.h"

#include "import/importerror.h"
#include "import/jet/boundedreader.h"
#include "import/jetfile.h"

#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kq::import {

namespace {

// Texts up to this size in bytes are read whole; a longer one is refused
// rather than cut.
constexpr size_t kBindSize = 256 * 1024;
constexpr int kOffsetMask = 0x1fff;

// The file under the library, read through a stream that notes any read
// past its end: the library reads a missing page of a cut file as zeros.
struct GuardedFile
{
    int fd = -1;
    off64_t size = 0;
    off64_t position = 0;
    bool pastEnd = false;
};

ssize_t guardedRead(void *cookie, char *buffer, size_t size)
{
    auto *g = static_cast<GuardedFile *>(cookie);
    if (g->position + off64_t(size) > g->size)
        g->pastEnd = true;
    const ssize_t n = pread(g->fd, buffer, size, g->position);
    if (n > 0)
        g->position += n;
    return n;
}

int guardedSeek(void *cookie, off64_t *offset, int whence)
{
    auto *g = static_cast<GuardedFile *>(cookie);
    switch (whence) {
    case SEEK_SET:
        g->position = *offset;
        break;
    case SEEK_CUR:
        g->position += *offset;
        break;
    // The library compares a page's place with the end before it reads:
    // an end far away lets it read, so a missing page is seen above.
    case SEEK_END:
        g->position = off64_t(1) << 48;
        break;
    default:
        return -1;
    }
    *offset = g->position;
    return 0;
}

int guardedClose(void *cookie)
{
    auto *g = static_cast<GuardedFile *>(cookie);
    close(g->fd);
    delete g;
    return 0;
}

QString damaged(const QString &file)
{
    return QStringLiteral("O arquivo %1 está incompleto ou danificado e não pode ser lido")
        .arg(file);
}

class JetDatabase;

class JetTable : public SourceTable
{
public:
    JetTable(JetDatabase &db, MdbTableDef *table);
    ~JetTable() override;

    QString name() const override { return m_name; }
    QStringList columns() const override { return m_columns; }
    qint64 rowCount() const override { return m_table->num_rows; }
    bool next(SourceRow &row) override;

private:
    [[noreturn]] void fail(const QString &why = QString()) const;
    SourceValue value(const MdbColumn *col, int index, const MdbField &field) const;

    JetDatabase &m_db;
    MdbTableDef *m_table;
    QString m_name;
    QStringList m_columns;
    std::vector<std::unique_ptr<char[]>> m_bound;
    qint64 m_row = 0;
    bool m_atEnd = false;
};

class JetDatabase : public SourceDatabase
{
public:
    explicit JetDatabase(const QString &path)
        : m_file(QFileInfo(path).fileName())
    {
        checkJetFile(path);
        // Texts as UTF-8; a Jet 3 file in the office's Windows code page.
        qputenv("MDBICONV", "UTF-8");
        qputenv("MDB_JET3_CHARSET", "CP1252");
        const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
        m_mdb = mdb_open(native.constData(), MDB_NOFLAGS);
        if (!m_mdb)
            throw ImportError(damaged(m_file) + QLatin1Char('.'));
        try {
            guardStream(native);
            readCatalog();
        } catch (...) {
            mdb_close(m_mdb);
            throw;
        }
    }
    ~JetDatabase() override { mdb_close(m_mdb); }

    QString fileName() const override { return m_file; }
    QStringList tableNames() const override { return m_tables; }
    std::unique_ptr<SourceTable> table(const QString &name) override
    {
        QByteArray native = name.toUtf8();
        MdbTableDef *t = mdb_read_table_by_name(m_mdb, native.data(), MDB_TABLE);
        if (!t || pastEnd()) {
            if (t)
                mdb_free_tabledef(t);
            throw ImportError(QStringLiteral("%1 (tabela %2).").arg(damaged(m_file), name));
        }
        return std::make_unique<JetTable>(*this, t);
    }

    MdbHandle *handle() const { return m_mdb; }
    bool pastEnd() const { return m_guard && m_guard->pastEnd; }

private:
    void readCatalog()
    {
        mdb_set_bind_size(m_mdb, kBindSize);
        if (!mdb_read_catalog(m_mdb, MDB_TABLE) || m_guard->pastEnd)
            throw ImportError(damaged(m_file) + QLatin1Char('.'));
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
                continue;
            const QString name = QString::fromUtf8(entry->object_name);
            if (name.isEmpty())
                throw ImportError(damaged(m_file) + QLatin1Char('.'));
            m_tables << name;
        }
    }

    void guardStream(const QByteArray &native)
    {
        auto *g = new GuardedFile;
        g->fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        const off64_t size = g->fd < 0 ? -1 : lseek64(g->fd, 0, SEEK_END);
        cookie_io_functions_t io{guardedRead, nullptr, guardedSeek, guardedClose};
        FILE *stream = size < 0 ? nullptr : fopencookie(g, "r", io);
        if (!stream) {
            if (g->fd >= 0)
                close(g->fd);
            delete g;
            throw ImportError(QStringLiteral("O arquivo %1 não pôde ser lido.").arg(m_file));
        }
        g->size = size;
        setvbuf(stream, nullptr, _IONBF, 0);
        fclose(m_mdb->f->stream);
        m_mdb->f->stream = stream;
        m_guard = g;
    }

    QString m_file;
    MdbHandle *m_mdb = nullptr;
    GuardedFile *m_guard = nullptr;
    QStringList m_tables;
};

bool boundAsText(int type)
{
    return type == MDB_TEXT || type == MDB_MEMO || type == MDB_NUMERIC || type == MDB_REPID;
}

JetTable::JetTable(JetDatabase &db, MdbTableDef *table)
    : m_db(db)
    , m_table(table)
    , m_name(QString::fromUtf8(table->name))
{
    if (!mdb_read_columns(m_table) || m_db.pastEnd()) {
        mdb_free_tabledef(m_table);
        throw ImportError(QStringLiteral("%1 (tabela %2).").arg(damaged(db.fileName()), m_name));
    }
    mdb_rewind_table(m_table);
    m_bound.resize(m_table->num_cols);
    for (unsigned i = 0; i < m_table->num_cols; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i));
        m_columns << QString::fromUtf8(col->name);
        if (boundAsText(col->col_type)) {
            m_bound[i].reset(new char[kBindSize]());
            mdb_bind_column(m_table, int(i) + 1, m_bound[i].get(), nullptr);
        }
    }
}

JetTable::~JetTable()
{
    mdb_free_tabledef(m_table);
}

void JetTable::fail(const QString &why) const
{
    throw ImportError(QStringLiteral("%1 (tabela %2, registro %3)%4.")
                          .arg(damaged(m_db.fileName()), m_name, QString::number(m_row),
                               why.isEmpty() ? QString() : QStringLiteral(": ") + why));
}

template<typename T>
T stored(const unsigned char *at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

SourceValue JetTable::value(const MdbColumn *col, int index, const MdbField &field) const
{
    if (col->col_type == MDB_BOOL)
        return SourceValue::boolean(!field.is_null);
    if (field.is_null)
        return SourceValue::null();
    const MdbHandle *mdb = m_db.handle();
    if (boundAsText(col->col_type)) {
        const char *text = m_bound[index].get();
        const size_t size = strnlen(text, kBindSize);
        if (size + 8 >= kBindSize)
            fail(QStringLiteral("o texto do campo %1 é longo demais").arg(m_columns[index]));
        if (col->col_type == MDB_NUMERIC)
            return SourceValue::number(QByteArray(text, qsizetype(size)).toDouble());
        return SourceValue::string(QString::fromUtf8(text, qsizetype(size)));
    }
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb->fmt->pg_size)
        fail();
    const unsigned char *at = mdb->pg_buf + field.start;
    const auto need = [&](int size) {
        if (field.siz < size)
            fail();
    };
    switch (col->col_type) {
    case MDB_BYTE:
        need(1);
        return SourceValue::integer64(*at);
    case MDB_INT:
        need(2);
        return SourceValue::integer64(stored<qint16>(at));
    case MDB_LONGINT:
        need(4);
        return SourceValue::integer64(stored<qint32>(at));
    case MDB_MONEY:
        need(8);
        return SourceValue::currency(stored<qint64>(at));
    case MDB_DOUBLE:
        need(8);
        return SourceValue::number(stored<double>(at));
    case MDB_DATETIME:
        need(8);
        return SourceValue::dateTime(stored<double>(at));
    case MDB_FLOAT: {
        need(4);
        // A Single as the old program shows it: its shortest decimal text.
        char text[32];
        const auto r = std::to_chars(text, text + sizeof text, stored<float>(at));
        return SourceValue::number(QByteArray(text, r.ptr - text).toDouble());
    }
    default:
        return SourceValue::binary(QByteArray(reinterpret_cast<const char *>(at), field.siz));
    }
}

bool JetTable::next(SourceRow &row)
{
    if (m_atEnd)
        return false;
    MdbHandle *mdb = m_db.handle();
    const int fetched = mdb_fetch_row(m_table);
    ++m_row;
    if (m_db.pastEnd())
        fail();
    if (!fetched) {
        // The library would go on past its last page; the table ends here.
        m_atEnd = true;
        return false;
    }
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, int(m_table->cur_row) - 1, &start, &size) != 0)
        fail();
    start &= kOffsetMask;
    if (size == 0 || start + qint64(size) > mdb->fmt->pg_size)
        fail();
    MdbField fields[MDB_MAX_COLS];
    const int count = mdb_crack_row(m_table, start, size, fields);
    if (count < int(m_table->num_cols))
        fail();
    row.resize(int(m_table->num_cols));
    for (unsigned i = 0; i < m_table->num_cols; ++i) {
        const int index = fields[i].colnum;
        if (index < 0 || index >= int(m_table->num_cols))
            fail();
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, index));
        row[index] = value(col, index, fields[i]);
    }
    return true;
}

} // namespace

std::unique_ptr<SourceDatabase> openJetDatabase(const QString &path)
{
    return std::make_unique<JetDatabase>(path);
}

FolderReport importAccessFolder(const QString &dir, const ImportOptions &options,
                                kq::platform::Progress *progress)
{
    const auto open = [](const QString &path) {
        return openBoundedJetDatabase(path, readerLimits(QFileInfo(path).size()));
    };
    return importFolder(dir, open, options, progress);
}

} // namespace kq::import
