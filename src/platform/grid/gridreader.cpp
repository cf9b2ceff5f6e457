#include "platform/grid/gridreader.h"

#include "platform/grid/gridtypes.h"

#include "data/dataerror.h"
#include "data/rowstream.h"

#include <algorithm>

namespace kq::platform {

namespace {

const QString kSource = QStringLiteral("GridEX");
constexpr int kBatchRows = 64; // rows stepped before they go to the fields

// A failure of the file or the server is told as the data layer tells it; a
// fault of the source as the grid's own.
GridError gridFailure(const kq::data::DataError &e)
{
    if (kq::data::isStorageFailure(e.number()))
        return GridError(e.number(), e.description(), kSource, e.detail());
    return GridError(
        GridErrorNumber::RecordSource,
        QStringLiteral("A origem dos registros da grade falhou: %1").arg(e.description()), kSource,
        e.detail());
}

} // namespace

// A value of a batch: a number, or where its bytes are in m_bytes.
struct RowReader::Staged
{
    kq::data::RowStream::Type type;
    quint32 size;
    union
    {
        qint64 integer;
        double real;
        size_t offset;
    };
};

RowReader::RowReader(std::unique_ptr<kq::data::RowStream> rows)
    : m_rows(std::move(rows))
{}

RowReader::~RowReader() = default;

std::unique_ptr<RowReader> RowReader::open(const QString &path, const QString &sql,
                                           const QVariantList &values)
{
    try {
        return std::unique_ptr<RowReader>(
            new RowReader(kq::data::RowStream::open(path, sql, values)));
    } catch (const kq::data::DataError &e) {
        throw gridFailure(e);
    }
}

QStringList RowReader::fieldNames() const
{
    return m_rows->fieldNames();
}

int RowReader::read(std::vector<FieldData> &data, int maxRows)
{
    // Rows are stepped a batch at a time into a small buffer and then handed
    // to the fields one field at a time: the engine and each field's arrays stay
    // in the cache instead of taking turns at every value.
    int total = 0;
    while (total < maxRows) {
        const int want = std::min(kBatchRows, maxRows - total);
        int got = 0;
        try {
            got = stage(want);
        } catch (const kq::data::DataError &e) {
            throw gridFailure(e);
        }
        unstage(data, got);
        total += got;
        if (got < want)
            break;
    }
    return total;
}

int RowReader::stage(int maxRows)
{
    using Type = kq::data::RowStream::Type;
    const qsizetype fields = m_columns.size();
    m_staged.resize(size_t(maxRows * fields));
    m_bytes.clear();
    m_cells.resize(size_t(fields));
    Staged *out = m_staged.data();
    int rows = 0;
    while (rows < maxRows && m_rows->next()) {
        m_rows->cells(m_columns.constData(), int(fields), m_cells.data());
        for (qsizetype s = 0; s < fields; ++s, ++out) {
            const kq::data::RowStream::Cell &c = m_cells[size_t(s)];
            out->type = c.type;
            out->size = 0;
            switch (c.type) {
            case Type::Integer:
                out->integer = c.integer;
                break;
            case Type::Real:
                out->real = c.real;
                break;
            case Type::Text:
            case Type::Blob:
                out->offset = m_bytes.size();
                out->size = quint32(c.bytes.size());
                m_bytes.insert(m_bytes.end(), c.bytes.begin(), c.bytes.end());
                break;
            case Type::Null:
                break;
            }
        }
        ++rows;
    }
    return rows;
}

void RowReader::unstage(std::vector<FieldData> &data, int rows) const
{
    using Type = kq::data::RowStream::Type;
    const size_t fields = data.size();
    for (size_t s = 0; s < fields; ++s) {
        FieldData &f = data[s];
        const Staged *in = m_staged.data() + s;
        for (int r = 0; r < rows; ++r, in += fields) {
            switch (in->type) {
            case Type::Integer:
                f.appendInt(in->integer);
                break;
            case Type::Real:
                f.appendReal(in->real);
                break;
            case Type::Text:
                f.appendText(m_bytes.data() + in->offset, int(in->size));
                break;
            case Type::Blob:
                f.append(QByteArray(m_bytes.data() + in->offset, in->size));
                break;
            case Type::Null:
                f.appendNull();
                break;
            }
        }
    }
}

} // namespace kq::platform
