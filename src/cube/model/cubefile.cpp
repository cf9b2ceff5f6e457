// Cube files: our own versioned format. Numbers are big-endian.
//
//   "KQCUBE" 0x00 | version (uint16) | flags (uint8: 1 data, 2 compressed,
//   4 encrypted)
//   version 2, encrypted: salt | opslimit (uint64) | memlimit (uint64) |
//                         nonce | key check (16 bytes)
//   version 2, plain:     payload checksum (16 bytes)
//   version 3:            payload size (uint64, before compression) |
//                         rows (uint32) | columns (uint32) of the data
//   version 2:            header checksum (16 bytes, over all of the above)
//   version 1, encrypted: salt | opslimit | memlimit | nonce
//   then the payload.
//
// The payload is a CBOR map (layout, and the source rows when saved with
// data), compressed with qCompress when asked, then sealed with libsodium's
// secretbox under a key derived from the password with crypto_pwhash
// (Argon2id) at the one cost this program writes; a file naming another cost
// is refused as damaged before any key is derived. The key check (a keyed
// BLAKE2b of the key) tells a wrong password (1021) from a damaged file
// (1032): the header checksum is checked first, then the key check, then the
// sealed payload. Version 1 files have no checks: there a payload that fails
// to open reads as a wrong password.
//
// A compressed payload unpacks in steps that stop at its declared size, and a
// size beyond what its rows and columns allow (or, before version 3, beyond
// 64 times the compressed bytes) is refused before anything is unpacked.

#include "cube/model/cubemodel.h"

#include "cube/model/cubemodel_p.h"

#include "data/dataerror.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sodium.h>
#include <unistd.h>
#include <zlib.h>

namespace kq::platform {

namespace {

const QByteArray kMagic("KQCUBE\0", 7);
const quint16 kVersion = 3;
enum : quint8 { FileData = 1, FileCompressed = 2, FileEncrypted = 4 };
// The key-derivation cost of every protected file this program writes.
const quint64 kOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
const quint64 kMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;
const int kCheckBytes = 16;
const char kKeyCheckLabel[] = "kq-730 cube key check";

QString damaged()
{
    return QStringLiteral("O arquivo do cubo está danificado.");
}

// Why the file could not be written, a full disk told as the database files
// tell it.
QString writeFailure(const QString &path, int errnum, const QString &libraryText)
{
    if (errnum == ENOSPC || errnum == EDQUOT)
        return QStringLiteral("Não há espaço livre no disco para gravar o arquivo \"%1\". Nada foi "
                              "gravado: libere espaço e tente de novo.")
            .arg(path);
    const QString reason = kq::data::fileErrorReason(errnum, libraryText);
    if (reason.isEmpty())
        return QStringLiteral("Não foi possível gravar %1.").arg(path);
    return QStringLiteral("Não foi possível gravar %1: %2.").arg(path, reason);
}

void syncFolder(const QString &folder)
{
    const int fd
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts the bytes in the file's place whole or not at all: they reach the disk
// before the new file takes the old one's name, and the folder is synced
// after. False with the failure's text in *why; the old file stays then.
bool writeWhole(const QString &path, const QByteArray &header, const QByteArray &body, QString *why)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    errno = 0;
    const bool written = file.open(QIODevice::WriteOnly) && file.write(header) == header.size()
                         && file.write(body) == body.size() && file.flush()
                         && ::fsync(file.handle()) == 0;
    int errnum = errno;
    if (written) {
        errno = 0;
        if (file.commit()) {
            syncFolder(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath());
            return true;
        }
        errnum = errno;
    }
    *why = writeFailure(path, errnum, file.errorString());
    return false;
}

// How far a payload may unpack: the codes of every cell (4 bytes each, which
// compress almost to nothing), then 64 times the compressed bytes for the
// rest; never beyond 2 GB.
qint64 unpackLimit(qint64 packed, quint32 rows, quint32 columns)
{
    const qint64 kMost = qint64(2) << 30;
    const quint64 cells = quint64(rows) * columns;
    if (cells > quint64(kMost) / 4 || packed > kMost / 64)
        return kMost;
    return qMin(kMost, qint64(cells) * 4 + packed * 64);
}

// Unpacks qCompress's output (the size, 4 bytes big-endian, then a zlib
// stream) into no more than its declared size, which must not pass `limit`
// and must be `expected` when that is known (not negative); false unless the
// stream ends exactly there.
bool unpack(QByteArrayView packed, qint64 limit, qint64 expected, QByteArray *out)
{
    if (packed.size() < 4)
        return false;
    const quint32 declared = qFromBigEndian<quint32>(packed.data());
    if (declared > limit || (expected >= 0 && declared != expected))
        return false;
    out->resize(qsizetype(declared));
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_out = reinterpret_cast<Bytef *>(out->data());
    z.avail_out = uInt(declared);
    QByteArrayView in = packed.sliced(4);
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (z.avail_in == 0 && !in.isEmpty()) {
            const qsizetype chunk = qMin<qsizetype>(in.size(), 1 << 30);
            z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
            z.avail_in = uInt(chunk);
            in = in.sliced(chunk);
        }
        rc = inflate(&z, Z_NO_FLUSH);
    }
    const bool whole = rc == Z_STREAM_END && z.avail_out == 0 && z.avail_in == 0 && in.isEmpty();
    inflateEnd(&z);
    if (!whole)
        out->clear();
    return whole;
}

// BLAKE2b of the bytes, 16 bytes long; keyed when a key is given.
QByteArray checksum(QByteArrayView bytes, const unsigned char *key = nullptr, size_t keyLength = 0)
{
    QByteArray out(kCheckBytes, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), size_t(out.size()),
                       reinterpret_cast<const unsigned char *>(bytes.data()), quint64(bytes.size()),
                       key, keyLength);
    return out;
}

QByteArray keyCheck(const unsigned char *key)
{
    return checksum(QByteArrayView(kKeyCheckLabel), key, crypto_secretbox_KEYBYTES);
}

bool sodiumReady()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}

bool deriveKey(const QString &password, const unsigned char *salt, quint64 ops, quint64 mem,
               unsigned char *key)
{
    const QByteArray pw = password.toUtf8();
    return crypto_pwhash(key, crypto_secretbox_KEYBYTES, pw.constData(), quint64(pw.size()), salt,
                         ops, size_t(mem), crypto_pwhash_ALG_ARGON2ID13)
           == 0;
}

QCborValue encodeValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QCborValue(QCborValue::Null);
    switch (v.metaType().id()) {
    case QMetaType::QDate:
        return QCborArray({QStringLiteral("d"), v.toDate().toString(Qt::ISODate)});
    case QMetaType::QDateTime:
        return QCborArray({QStringLiteral("t"), v.toDateTime().toString(Qt::ISODate)});
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return QCborValue(v.toLongLong());
    case QMetaType::Double:
        return QCborValue(v.toDouble());
    default:
        return QCborValue(v.toString());
    }
}

QVariant decodeValue(const QCborValue &c)
{
    if (c.isNull() || c.isUndefined())
        return QVariant();
    if (c.isInteger())
        return QVariant(qlonglong(c.toInteger()));
    if (c.isDouble())
        return QVariant(c.toDouble());
    if (c.isString())
        return QVariant(c.toString());
    if (c.isArray()) {
        const QCborArray a = c.toArray();
        const QString tag = a.at(0).toString();
        if (tag == u"d")
            return QDate::fromString(a.at(1).toString(), Qt::ISODate);
        if (tag == u"t")
            return QDateTime::fromString(a.at(1).toString(), Qt::ISODate);
    }
    return QVariant();
}

QCborMap encodeFont(const QFont &f)
{
    return QCborMap({{QStringLiteral("f"), f.toString()}});
}

QFont decodeFont(const QCborValue &v, const QFont &fallback)
{
    QFont f = fallback;
    if (v.isMap())
        f.fromString(v.toMap().value(QStringLiteral("f")).toString());
    return f;
}

QCborMap encodeStyle(const CubeStyle &s)
{
    QCborMap m;
    m[QStringLiteral("borderStyle")] = s.borderStyle;
    m[QStringLiteral("rowStyle")] = s.rowStyle;
    m[QStringLiteral("colStyle")] = s.colStyle;
    m[QStringLiteral("gridStyle")] = s.gridStyle;
    m[QStringLiteral("gridColor")] = s.gridColor;
    m[QStringLiteral("cubeBackColor")] = s.cubeBackColor;
    m[QStringLiteral("cellBackColor")] = s.cellBackColor;
    m[QStringLiteral("cellForeColor")] = s.cellForeColor;
    m[QStringLiteral("fieldsBackColor")] = s.fieldsBackColor;
    m[QStringLiteral("fieldsForeColor")] = s.fieldsForeColor;
    m[QStringLiteral("filteredFieldsBackColor")] = s.filteredFieldsBackColor;
    m[QStringLiteral("filteredFieldsForeColor")] = s.filteredFieldsForeColor;
    m[QStringLiteral("headingsBackColor")] = s.headingsBackColor;
    m[QStringLiteral("headingsForeColor")] = s.headingsForeColor;
    m[QStringLiteral("totalsBackColor")] = s.totalsBackColor;
    m[QStringLiteral("totalsForeColor")] = s.totalsForeColor;
    m[QStringLiteral("font")] = encodeFont(s.font);
    m[QStringLiteral("fieldFont")] = encodeFont(s.fieldFont);
    m[QStringLiteral("filteredFieldFont")] = encodeFont(s.filteredFieldFont);
    m[QStringLiteral("headingsFont")] = encodeFont(s.headingsFont);
    m[QStringLiteral("totalsFont")] = encodeFont(s.totalsFont);
    return m;
}

CubeStyle decodeStyle(const QCborMap &m)
{
    CubeStyle s;
    auto i = [&](const char *k, int &out) {
        const QCborValue v = m.value(QLatin1String(k));
        if (v.isInteger())
            out = int(v.toInteger());
    };
    i("borderStyle", s.borderStyle);
    i("rowStyle", s.rowStyle);
    i("colStyle", s.colStyle);
    i("gridStyle", s.gridStyle);
    i("gridColor", s.gridColor);
    i("cubeBackColor", s.cubeBackColor);
    i("cellBackColor", s.cellBackColor);
    i("cellForeColor", s.cellForeColor);
    i("fieldsBackColor", s.fieldsBackColor);
    i("fieldsForeColor", s.fieldsForeColor);
    i("filteredFieldsBackColor", s.filteredFieldsBackColor);
    i("filteredFieldsForeColor", s.filteredFieldsForeColor);
    i("headingsBackColor", s.headingsBackColor);
    i("headingsForeColor", s.headingsForeColor);
    i("totalsBackColor", s.totalsBackColor);
    i("totalsForeColor", s.totalsForeColor);
    s.font = decodeFont(m.value(QStringLiteral("font")), s.font);
    s.fieldFont = decodeFont(m.value(QStringLiteral("fieldFont")), s.fieldFont);
    s.filteredFieldFont
        = decodeFont(m.value(QStringLiteral("filteredFieldFont")), s.filteredFieldFont);
    s.headingsFont = decodeFont(m.value(QStringLiteral("headingsFont")), s.headingsFont);
    s.totalsFont = decodeFont(m.value(QStringLiteral("totalsFont")), s.totalsFont);
    return s;
}

} // namespace

// --- writing -----------------------------------------------------------------

QCborMap CubeModel::Data::encode(bool withData)
{
    Data *d = this;
    QCborMap m;
    m[QStringLiteral("connectType")] = d->connectType;
    m[QStringLiteral("connect")] = d->connect;
    m[QStringLiteral("databaseName")] = d->databaseName;
    m[QStringLiteral("recordSource")] = d->recordSource;
    m[QStringLiteral("autoRefresh")] = d->autoRefresh;
    m[QStringLiteral("yearPart")] = d->yearPart;
    m[QStringLiteral("quarterPart")] = d->quarterPart;
    m[QStringLiteral("monthPart")] = d->monthPart;
    m[QStringLiteral("weekPart")] = d->weekPart;
    m[QStringLiteral("header")] = d->header;
    m[QStringLiteral("footer")] = d->footer;
    m[QStringLiteral("style")] = encodeStyle(d->style);
    m[QStringLiteral("nextDataIndex")] = d->nextDataIndex;
    QCborArray fields;
    for (CubeField *f : std::as_const(d->fields)) {
        QCborMap fm;
        fm[QStringLiteral("source")] = f->source();
        fm[QStringLiteral("caption")] = f->caption();
        fm[QStringLiteral("name")] = f->name();
        fm[QStringLiteral("orientation")] = f->orientation();
        fm[QStringLiteral("position")] = f->position();
        fm[QStringLiteral("dataIndex")] = f->dataIndex();
        fm[QStringLiteral("format")] = f->numberFormat();
        fm[QStringLiteral("aggregate")] = f->aggregate();
        fm[QStringLiteral("calculated")] = f->calculated();
        fm[QStringLiteral("expression")] = f->expression();
        fm[QStringLiteral("opaque")] = f->opaqueSetting();
        fm[QStringLiteral("groupFooter")] = f->groupFooter();
        fm[QStringLiteral("totalCaption")] = f->totalCaption();
        fm[QStringLiteral("expanded")] = f->expanded();
        fm[QStringLiteral("shown")] = f->shown();
        fm[QStringLiteral("width")] = double(f->width());
        fm[QStringLiteral("sortType")] = f->sortType();
        fm[QStringLiteral("rankDataField")] = f->rankDataField();
        fm[QStringLiteral("labelDescending")] = f->labelDescending();
        QCborArray totals;
        for (auto it = f->m_totalExpr.cbegin(); it != f->m_totalExpr.cend(); ++it)
            totals.append(QCborArray({it.key(), it.value().first, it.value().second}));
        fm[QStringLiteral("totals")] = totals;
        QCborArray expanded;
        for (auto it = f->m_memberExpanded.cbegin(); it != f->m_memberExpanded.cend(); ++it)
            expanded.append(QCborArray({it.key(), it.value()}));
        fm[QStringLiteral("memberExpanded")] = expanded;
        QCborArray items;
        for (const CubeDataItem *i : f->dataItems()->all()) {
            if (i->caption() != i->name() || !i->included())
                items.append(QCborArray({i->value(), i->caption(), i->included()}));
        }
        for (auto it = f->m_savedItems.cbegin(); it != f->m_savedItems.cend(); ++it)
            items.append(QCborArray({it.key(), it.value().first, it.value().second}));
        fm[QStringLiteral("items")] = items;
        fields.append(fm);
    }
    m[QStringLiteral("fields")] = fields;
    if (withData && d->haveData) {
        QCborMap data;
        data[QStringLiteral("rows")] = d->rowCount;
        QCborArray cols;
        for (const CubeColumn &c : std::as_const(d->columns)) {
            QCborMap cm;
            cm[QStringLiteral("name")] = c.name;
            QCborArray dict;
            for (const QVariant &v : c.dict)
                dict.append(encodeValue(v));
            cm[QStringLiteral("dict")] = dict;
            // Big-endian 32-bit codes.
            QByteArray codes(c.codes.size() * 4, Qt::Uninitialized);
            qToBigEndian<qint32>(c.codes.constData(), c.codes.size(), codes.data());
            cm[QStringLiteral("codes")] = codes;
            cols.append(cm);
        }
        data[QStringLiteral("columns")] = cols;
        m[QStringLiteral("data")] = data;
    }
    return m;
}

CubeResult CubeModel::save(const QString &path, int flags, const CubeProgress &progress)
{
    d->clearError();
    // Steps: the cube, packed, sealed, written.
    auto step = [&](int done) {
        if (!progress || progress(done, 4))
            return true;
        d->fail(CubeErrCancelled, QStringLiteral("Operação cancelada."),
                QStringLiteral("DCube.Save"));
        return false;
    };
    if (path.isEmpty()) {
        d->fail(CubeErrWrite, QStringLiteral("Falta o nome do arquivo."),
                QStringLiteral("DCube.Save"));
        return d->result();
    }
    const bool withData = (flags & SaveWithData) != 0;
    if (withData && !d->haveData)
        ensureLayout();
    if (!step(0))
        return d->result();
    QByteArray payload = d->encode(withData).toCborValue().toCbor();
    const quint64 payloadSize = quint64(payload.size());
    quint8 fileFlags = withData && d->haveData ? FileData : 0;
    const quint32 rows = fileFlags & FileData ? quint32(d->rowCount) : 0;
    const quint32 columns = fileFlags & FileData ? quint32(d->columns.size()) : 0;
    if (!step(1))
        return d->result();
    if (flags & SaveCompressed) {
        payload = qCompress(payload, 1); // a large cube took seconds at the usual level 6
        fileFlags |= FileCompressed;
    }
    if (!sodiumReady()) {
        d->fail(CubeErrWrite, QStringLiteral("A criptografia não está disponível."),
                QStringLiteral("DCube.Save"));
        return d->result();
    }
    const bool encrypt = !d->password.isEmpty();
    if (encrypt)
        fileFlags |= FileEncrypted;
    if (!step(2))
        return d->result();
    QByteArray header = kMagic;
    QDataStream ds(&header, QIODevice::Append);
    ds.setByteOrder(QDataStream::BigEndian);
    ds << kVersion << fileFlags;
    QByteArray body = payload;
    if (encrypt) {
        unsigned char salt[crypto_pwhash_SALTBYTES];
        unsigned char nonce[crypto_secretbox_NONCEBYTES];
        unsigned char key[crypto_secretbox_KEYBYTES];
        randombytes_buf(salt, sizeof salt);
        randombytes_buf(nonce, sizeof nonce);
        if (!deriveKey(d->password, salt, kOpsLimit, kMemLimit, key)) {
            d->fail(CubeErrWrite,
                    QStringLiteral("Memória insuficiente para preparar a chave da senha."),
                    QStringLiteral("DCube.Save"));
            return d->result();
        }
        body.resize(payload.size() + crypto_secretbox_MACBYTES);
        crypto_secretbox_easy(reinterpret_cast<unsigned char *>(body.data()),
                              reinterpret_cast<const unsigned char *>(payload.constData()),
                              quint64(payload.size()), nonce, key);
        const QByteArray check = keyCheck(key);
        sodium_memzero(key, sizeof key);
        ds.writeRawData(reinterpret_cast<const char *>(salt), sizeof salt);
        ds << kOpsLimit << kMemLimit;
        ds.writeRawData(reinterpret_cast<const char *>(nonce), sizeof nonce);
        ds.writeRawData(check.constData(), int(check.size()));
    } else {
        const QByteArray sum = checksum(payload);
        ds.writeRawData(sum.constData(), int(sum.size()));
    }
    ds << payloadSize << rows << columns;
    const QByteArray headerSum = checksum(header);
    ds.writeRawData(headerSum.constData(), int(headerSum.size()));
    if (!step(3))
        return d->result();
    QString why;
    if (!writeWhole(path, header, body, &why))
        d->fail(CubeErrWrite, why, QStringLiteral("DCube.Save"));
    return d->result();
}

// --- reading -----------------------------------------------------------------

void CubeModel::Data::apply(CubeModel &target, const QCborMap &m)
{
    CubeModel::Data *d = target.d.get();
    d->connectType = int(m.value(QStringLiteral("connectType")).toInteger(1));
    d->connect = m.value(QStringLiteral("connect")).toString();
    d->databaseName = m.value(QStringLiteral("databaseName")).toString();
    d->recordSource = m.value(QStringLiteral("recordSource")).toString();
    d->autoRefresh = m.value(QStringLiteral("autoRefresh")).toBool(true);
    d->yearPart = m.value(QStringLiteral("yearPart")).toString();
    d->quarterPart = m.value(QStringLiteral("quarterPart")).toString();
    d->monthPart = m.value(QStringLiteral("monthPart")).toString();
    d->weekPart = m.value(QStringLiteral("weekPart")).toString();
    d->header = m.value(QStringLiteral("header")).toString();
    d->footer = m.value(QStringLiteral("footer")).toString();
    d->style = decodeStyle(m.value(QStringLiteral("style")).toMap());
    QVector<QPair<int, CubeField *>> placed[5];
    for (const QCborValue &fv : m.value(QStringLiteral("fields")).toArray()) {
        const QCborMap fm = fv.toMap();
        int orientation = int(fm.value(QStringLiteral("orientation")).toInteger());
        if (orientation < OrientHidden || orientation > OrientPage)
            orientation = OrientHidden;
        CubeField *f = target.addField(fm.value(QStringLiteral("source")).toString(),
                                       fm.value(QStringLiteral("caption")).toString(), orientation);
        f->m_name = fm.value(QStringLiteral("name")).toString();
        f->m_dataIndex = int(fm.value(QStringLiteral("dataIndex")).toInteger());
        f->m_numberFormat = fm.value(QStringLiteral("format")).toString();
        f->m_aggregate = int(fm.value(QStringLiteral("aggregate")).toInteger());
        f->m_calculated = fm.value(QStringLiteral("calculated")).toBool();
        f->m_expression = fm.value(QStringLiteral("expression")).toString();
        f->m_opaque = int(fm.value(QStringLiteral("opaque")).toInteger());
        f->m_groupFooter = fm.value(QStringLiteral("groupFooter")).toBool(true);
        f->m_totalCaption = fm.value(QStringLiteral("totalCaption")).toString();
        f->m_expanded = fm.value(QStringLiteral("expanded")).toBool(true);
        f->m_shown = fm.value(QStringLiteral("shown")).toBool(true);
        f->m_width = float(fm.value(QStringLiteral("width")).toDouble(100));
        f->m_sortType = int(fm.value(QStringLiteral("sortType")).toInteger());
        f->m_rankDataField = int(fm.value(QStringLiteral("rankDataField")).toInteger());
        f->m_labelDescending = int(fm.value(QStringLiteral("labelDescending")).toInteger());
        for (const QCborValue &t : fm.value(QStringLiteral("totals")).toArray()) {
            const QCborArray a = t.toArray();
            f->m_totalExpr.insert(a.at(0).toString(),
                                  {int(a.at(1).toInteger()), a.at(2).toString()});
        }
        for (const QCborValue &e : fm.value(QStringLiteral("memberExpanded")).toArray()) {
            const QCborArray a = e.toArray();
            f->m_memberExpanded.insert(a.at(0).toString(), a.at(1).toBool());
        }
        for (const QCborValue &i : fm.value(QStringLiteral("items")).toArray()) {
            const QCborArray a = i.toArray();
            f->m_savedItems.insert(a.at(0).toString(), {a.at(1).toString(), a.at(2).toBool()});
        }
        placed[orientation].append({int(fm.value(QStringLiteral("position")).toInteger()), f});
    }
    for (int o = 0; o < 5; ++o) {
        std::stable_sort(placed[o].begin(), placed[o].end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        d->order[o].clear();
        for (const auto &p : placed[o])
            d->order[o].append(p.second);
    }
    d->nextDataIndex = int(m.value(QStringLiteral("nextDataIndex")).toInteger(1));
    for (CubeField *f : std::as_const(d->fields))
        d->nextDataIndex = qMax(d->nextDataIndex, f->m_dataIndex + 1);
}

bool CubeModel::Data::applyData(const QCborMap &data, const CubeProgress &progress, bool *cancelled)
{
    Data *d = this;
    const qint64 rows = data.value(QStringLiteral("rows")).toInteger(-1);
    if (rows < 0 || rows > std::numeric_limits<int>::max())
        return false;
    QVector<CubeColumn> cols;
    const QCborArray columns = data.value(QStringLiteral("columns")).toArray();
    for (const QCborValue &cv : columns) {
        if (progress && !progress(cols.size(), columns.size())) {
            *cancelled = true;
            return false;
        }
        const QCborMap cm = cv.toMap();
        CubeColumn c;
        c.name = cm.value(QStringLiteral("name")).toString();
        for (const QCborValue &v : cm.value(QStringLiteral("dict")).toArray())
            c.dict.append(decodeValue(v));
        const QByteArray codes = cm.value(QStringLiteral("codes")).toByteArray();
        if (codes.size() != rows * 4)
            return false;
        c.codes.resize(rows);
        qFromBigEndian<qint32>(codes.constData(), rows, c.codes.data());
        const qsizetype dictSize = c.dict.size();
        for (const int code : std::as_const(c.codes)) {
            if (code < -1 || code >= dictSize)
                return false;
        }
        cols.append(c);
    }
    d->columns = cols;
    d->rowCount = int(rows);
    d->haveData = true;
    d->sourceDirty = false;
    return true;
}

CubeResult CubeModel::load(const QString &path, const CubeProgress &progress)
{
    // While the file is read, painting shows the cube as it is.
    struct Busy
    {
        Data *d;
        bool was;
        ~Busy() { d->busy = was; }
    } busy{d.get(), d->busy};
    auto failed = [&](int code, const QString &text) {
        d->busy = busy.was;
        return d->failed(code, text, QStringLiteral("DCube.Load"));
    };
    // Steps: read, open, unpack, parse, then the columns or the source rows.
    const int kSteps = 4;
    auto step = [&](int done) {
        return !progress || progress(done, kSteps);
    };
    auto cancelled = [&] {
        return failed(CubeErrCancelled, QStringLiteral("Operação cancelada."));
    };
    d->clearError();
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return failed(CubeErrFileMissing, QStringLiteral("Arquivo não encontrado."));
    if (!file.open(QIODevice::ReadOnly))
        return failed(CubeErrFileMissing, QStringLiteral("Arquivo não encontrado."));
    d->busy = true;
    const QByteArray all = file.readAll();
    if (!all.startsWith(kMagic) || all.size() < kMagic.size() + 3)
        return failed(CubeErrNotCubeFile, QStringLiteral("O arquivo não é um arquivo de cubo."));
    if (!step(1))
        return cancelled();
    QDataStream ds(all);
    ds.setByteOrder(QDataStream::BigEndian);
    ds.skipRawData(int(kMagic.size()));
    quint16 version = 0;
    quint8 flags = 0;
    ds >> version >> flags;
    if (version > kVersion)
        return failed(CubeErrVersion,
                      QStringLiteral("O arquivo do cubo é de uma versão mais nova do programa."));
    if (version < 1 || (flags & ~(FileData | FileCompressed | FileEncrypted)) != 0)
        return failed(CubeErrCorrupt, damaged());
    const bool encrypted = (flags & FileEncrypted) != 0;
    unsigned char salt[crypto_pwhash_SALTBYTES];
    unsigned char nonce[crypto_secretbox_NONCEBYTES];
    quint64 ops = 0, mem = 0;
    QByteArray check(kCheckBytes, Qt::Uninitialized);
    QByteArray headerSum(kCheckBytes, Qt::Uninitialized);
    // Known from version 3 on.
    qint64 payloadSize = -1;
    quint32 rows = 0, columns = 0;
    if (encrypted) {
        ds.readRawData(reinterpret_cast<char *>(salt), sizeof salt);
        ds >> ops >> mem;
        ds.readRawData(reinterpret_cast<char *>(nonce), sizeof nonce);
    }
    if (version >= 2) {
        ds.readRawData(check.data(), kCheckBytes);
        if (version >= 3) {
            quint64 size = 0;
            ds >> size >> rows >> columns;
            payloadSize = qint64(qMin<quint64>(size, std::numeric_limits<qint64>::max()));
        }
        const qsizetype summed = ds.device()->pos();
        ds.readRawData(headerSum.data(), kCheckBytes);
        if (ds.status() != QDataStream::Ok || !sodiumReady()
            || checksum(QByteArrayView(all).first(summed)) != headerSum)
            return failed(CubeErrCorrupt, damaged());
    }
    // Only the rows and columns of the data it holds.
    if (ds.status() != QDataStream::Ok || (!(flags & FileData) && (rows || columns)))
        return failed(CubeErrCorrupt, damaged());
    const QByteArray rest = all.mid(ds.device()->pos());
    QByteArray payload;
    if (encrypted) {
        // Only the cost this program writes: any other is a damaged header,
        // refused before a key is derived.
        if (ops != kOpsLimit || mem != kMemLimit || rest.size() < crypto_secretbox_MACBYTES)
            return failed(CubeErrCorrupt, damaged());
        if (d->password.isEmpty())
            return failed(CubeErrPassword, QStringLiteral("O arquivo do cubo pede senha."));
        unsigned char key[crypto_secretbox_KEYBYTES];
        if (!sodiumReady() || !deriveKey(d->password, salt, ops, mem, key))
            return failed(CubeErrCorrupt,
                          QStringLiteral("Não foi possível preparar a chave da senha."));
        if (version >= 2 && keyCheck(key) != check) {
            sodium_memzero(key, sizeof key);
            return failed(CubeErrPassword, QStringLiteral("Senha incorreta."));
        }
        payload.resize(rest.size() - crypto_secretbox_MACBYTES);
        const int rc
            = crypto_secretbox_open_easy(reinterpret_cast<unsigned char *>(payload.data()),
                                         reinterpret_cast<const unsigned char *>(rest.constData()),
                                         quint64(rest.size()), nonce, key);
        sodium_memzero(key, sizeof key);
        if (rc != 0) {
            if (version >= 2)
                return failed(CubeErrCorrupt, damaged());
            return failed(CubeErrPassword, QStringLiteral("Senha incorreta."));
        }
    } else {
        if (version >= 2 && checksum(rest) != check)
            return failed(CubeErrCorrupt, damaged());
        payload = rest;
    }
    if (!step(2))
        return cancelled();
    if (flags & FileCompressed) {
        QByteArray unpacked;
        if (!unpack(payload, unpackLimit(payload.size(), rows, columns), payloadSize, &unpacked))
            return failed(CubeErrCorrupt, damaged());
        payload = std::move(unpacked);
    } else if (payloadSize >= 0 && payload.size() != payloadSize) {
        return failed(CubeErrCorrupt, damaged());
    }
    if (!step(3))
        return cancelled();
    QCborParserError perr;
    const QCborValue root = QCborValue::fromCbor(payload, &perr);
    payload.clear();
    if (perr.error != QCborError::NoError || !root.isMap())
        return failed(CubeErrCorrupt, damaged());
    const QCborMap map = root.toMap();
    if (!step(4))
        return cancelled();

    // Build the new cube aside; the current one stays as it is on failure.
    CubeModel fresh;
    Data::apply(fresh, map);
    fresh.d->password = d->password;
    if (flags & FileData) {
        bool stopped = false;
        if (!fresh.d->applyData(map.value(QStringLiteral("data")).toMap(), progress, &stopped))
            return stopped ? cancelled() : failed(CubeErrCorrupt, damaged());
        if (version >= 3
            && (quint32(fresh.d->rowCount) != rows || quint32(fresh.d->columns.size()) != columns))
            return failed(CubeErrCorrupt, damaged());
    } else {
        // Layout only: the stored database, else the current connection.
        if (!QFileInfo::exists(fresh.databasePath())) {
            fresh.d->connectType = d->connectType;
            fresh.d->connect = d->connect;
            fresh.d->databaseName = d->databaseName;
        }
        if (!fresh.d->loadSource(progress))
            return fresh.d->lastCode == CubeErrCancelled
                       ? cancelled()
                       : failed(CubeErrDataSource, fresh.d->lastError);
    }
    fresh.d->aggDirty = true;
    fresh.d->displayDirty = true;
    std::swap(d, fresh.d);
    d->q = this;
    fresh.d->q = &fresh;
    for (CubeField *f : std::as_const(d->fields))
        f->m_model = this;
    for (CubeField *f : std::as_const(fresh.d->fields))
        f->m_model = &fresh;
    d->collections[0].reset(new CubeFields(this, -1));
    for (int o = 0; o < 5; ++o)
        d->collections[o + 1].reset(new CubeFields(this, o));
    fresh.d->collections[0].reset(new CubeFields(&fresh, -1));
    for (int o = 0; o < 5; ++o)
        fresh.d->collections[o + 1].reset(new CubeFields(&fresh, o));
    busy.d = d.get();
    busy.was = false;
    d->busy = false;
    d->layout();
    return d->result();
}

CubeResult CubeModel::openUrl(const QString &url)
{
    const QUrl u(url);
    if (u.isLocalFile())
        return load(u.toLocalFile());
    if (!u.scheme().isEmpty() && u.scheme().size() > 1) {
        return d->failed(CubeErrUnsupported, QStringLiteral("Endereços da web não são aceitos."),
                         QStringLiteral("DCube.URL"));
    }
    return load(url);
}

} // namespace kq::platform
