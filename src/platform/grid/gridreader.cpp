#include "gridreader.h"

#include "gridtypes.h"

#include "data/dataerror.h"
#include "data/rowstream.h"

namespace kq::platform {

namespace {

const QString kSource = QStringLiteral("GridEX");

} // namespace

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
        // A failure of the file or the server is told as the data layer
        // tells it; a fault of the source as the grid's own.
        if (kq::data::isStorageFailure(e.number()))
            throw GridError(e.number(), e.description(), kSource, e.detail());
        throw GridError(
            GridErrorNumber::RecordSource,
            QStringLiteral("A origem dos registros da grade falhou: %1").arg(e.description()),
            kSource, e.detail());
    }
}

QStringList RowReader::fieldNames() const
{
    return m_rows->fieldNames();
}

bool RowReader::next(std::vector<FieldData> &data)
{
    if (!m_rows->next())
        return false;
    using Type = kq::data::RowStream::Type;
    const int *columns = m_columns.constData();
    for (size_t s = 0; s < data.size(); ++s) {
        const int c = columns[s];
        FieldData &f = data[s];
        switch (m_rows->type(c)) {
        case Type::Integer:
            f.appendInt(m_rows->integer(c));
            break;
        case Type::Real:
            f.appendReal(m_rows->real(c));
            break;
        case Type::Text: {
            const QByteArrayView b = m_rows->bytes(c);
            f.appendText(b.data(), int(b.size()));
            break;
        }
        case Type::Blob: {
            const QByteArrayView b = m_rows->bytes(c);
            f.append(QByteArray(b.data(), b.size()));
            break;
        }
        case Type::Null:
            f.appendNull();
            break;
        }
    }
    return true;
}

QString RowReader::error() const
{
    return m_rows->error();
}

} // namespace kq::platform
