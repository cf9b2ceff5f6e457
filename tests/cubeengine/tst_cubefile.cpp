#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/model/cubemodel.h"

#include <QElapsedTimer>
#include <QXmlStreamReader>
#include <QtTest>
#include <sodium.h>

using namespace kq::platform;

class tst_cubefile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void passwords_data();
    void passwords();
    void badFiles_data();
    void badFiles();
    void failedLoadKeepsCube();
    void encryptedFileHidesEverything();
    void damagedOrWrongPassword_data();
    void damagedOrWrongPassword();
    void onlyOurKeyCost_data();
    void onlyOurKeyCost();
    void readsFirstVersionFiles();
    void unpackingBounded_data();
    void unpackingBounded();
    void saveFailureReported();
    void urls();
    void htmlExport_data();
    void htmlExport();
    void excelExport();

private:
    void arrange(CubeModel &m);
    QTemporaryDir m_dir;
    QString m_db;
};

void tst_cubefile::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_db = cubetest::makeFixture(m_dir.path());
}

void tst_cubefile::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

// A cube with every kind of setting a file must keep.
void tst_cubefile::arrange(CubeModel &m)
{
    cubetest::defineCube(m, m_db);
    m.fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("DS_ESTADO"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    CubeField *loja = m.fields()->item(QStringLiteral("ds_loja"));
    loja->setLabelDescending(1);
    loja->setCaption(QStringLiteral("Cliente"));
    m.fields()->item(QStringLiteral("Atualizado"))->setPosition(0);
    m.setHeaderCaption(QStringLiteral("Gerador de Relatórios"));
    m.setFooterCaption(QStringLiteral("- Page &P -"));
    QVERIFY(m.rebuild());
    m.fields()->item(QStringLiteral("Ano"))->dataItems()->item(0)->setCaption("Ano 1");
    m.fields()
        ->item(QStringLiteral("Trimestre"))
        ->dataItems()
        ->item(QStringLiteral("4"))
        ->setIncluded(false);
    m.setRowHeadingExpanded(0, 0, false); // collapse Loja Sul (first, descending)
}

void tst_cubefile::roundTrip_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("password");
    for (int flags = 0; flags < 4; ++flags) {
        QTest::addRow("flags %d", flags) << flags << QString();
        QTest::addRow("flags %d, password", flags) << flags << QStringLiteral("segredo");
    }
}

void tst_cubefile::roundTrip()
{
    QFETCH(int, flags);
    QFETCH(QString, password);
    CubeModel m;
    arrange(m);
    const QString expected = cubetest::dump(m);
    QVERIFY(expected.contains(QStringLiteral("Ano 1")));
    m.setPassword(password);
    const QString file = m_dir.filePath(QStringLiteral("rt%1.cub").arg(flags));
    QVERIFY2(m.save(file, flags), qPrintable(m.lastError()));

    CubeModel back;
    back.setPassword(password);
    // A file with data needs no database; a layout-only one falls back to
    // the current connection when its own database is gone.
    back.setDatabaseName(m_db);
    if (flags & SaveWithData)
        QFile::rename(m_db, m_db + QStringLiteral(".off"));
    const CubeResult r = back.load(file);
    if (flags & SaveWithData) {
        kq::data::closeAllDatabases();
        QFile::rename(m_db + QStringLiteral(".off"), m_db);
    }
    QVERIFY2(r.ok, qPrintable(r.description));
    QCOMPARE(back.hasData(), true);
    QCOMPARE(cubetest::dump(back), expected);
    QCOMPARE(back.headerCaption(), QStringLiteral("Gerador de Relatórios"));
    QCOMPARE(back.fields()->count(), m.fields()->count());
    CubeField *loja = back.fields()->item(QStringLiteral("ds_loja"));
    QCOMPARE(loja->caption(), QStringLiteral("Cliente"));
    QCOMPARE(loja->model(), &back);
    QCOMPARE(back.dataFields()->itemByPosition(0)->name(), QStringLiteral("Atualizado"));
    QCOMPARE(back.dataFieldByIndex(1)->name(), QStringLiteral("sumVL_CHEQUE"));
    QCOMPARE(back.password(), password);
}

void tst_cubefile::passwords_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("given");
    QTest::addColumn<int>("code");
    QTest::newRow("right") << "segredo"
                           << "segredo" << 0;
    QTest::newRow("wrong") << "segredo"
                           << "Segredo" << int(CubeErrPassword);
    QTest::newRow("missing") << "segredo"
                             << "" << int(CubeErrPassword);
    QTest::newRow("not trimmed at load") << "segredo"
                                         << " segredo" << int(CubeErrPassword);
    QTest::newRow("none needed") << ""
                                 << "qualquer" << 0;
}

void tst_cubefile::passwords()
{
    QFETCH(QString, saved);
    QFETCH(QString, given);
    QFETCH(int, code);
    CubeModel m;
    arrange(m);
    m.setPassword(saved);
    const QString file = m_dir.filePath(QStringLiteral("pw.cub"));
    QVERIFY(m.save(file, SaveWithData | SaveCompressed));
    CubeModel back;
    back.setPassword(given);
    const CubeResult r = back.load(file);
    QCOMPARE(r.code, code);
    QCOMPARE(r.ok, code == 0);
    QCOMPARE(back.lastErrorCode(), code);
    // The password stays set for the next load.
    QCOMPARE(back.password(), given);
}

void tst_cubefile::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("code");
    QTest::newRow("missing") << "nada.cub" << QByteArray() << int(CubeErrFileMissing);
    QTest::newRow("not a cube") << "texto.cub" << QByteArray("DynamiCube 2.0 file") << 1030;
    QTest::newRow("empty") << "vazio.cub" << QByteArray("") << 1030;
    QTest::newRow("newer version")
        << "nova.cub" << QByteArray("KQCUBE\0\0\x09\x00", 10) << int(CubeErrVersion);
    QTest::newRow("damaged payload")
        << "ruim.cub" << QByteArray("KQCUBE\0\0\x01\x02garbage", 17) << int(CubeErrCorrupt);
    QTest::newRow("truncated header")
        << "curto.cub" << QByteArray("KQCUBE\0\0\x01\x04\x01\x02", 12) << int(CubeErrCorrupt);
}

void tst_cubefile::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, code);
    const QString file = m_dir.filePath(name);
    if (code != CubeErrFileMissing) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    CubeModel m;
    m.setPassword(QStringLiteral("x"));
    int raised = 0;
    connect(&m, &CubeModel::errorOccurred, this,
            [&](int c, const QString &, const QString &, bool *) { raised = c; });
    const CubeResult r = m.load(file);
    QVERIFY(!r);
    QCOMPARE(r.code, code);
    QCOMPARE(raised, code);
    QVERIFY(!r.description.isEmpty());
}

void tst_cubefile::failedLoadKeepsCube()
{
    CubeModel m;
    arrange(m);
    const QString before = cubetest::dump(m);
    const QString file = m_dir.filePath(QStringLiteral("flip.cub"));
    QVERIFY(m.save(file, SaveWithData));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes.truncate(bytes.size() / 2); // a half-written file
    f.resize(0);
    f.write(bytes);
    f.close();
    QCOMPARE(m.load(file).code, int(CubeErrCorrupt));
    QCOMPARE(cubetest::dump(m), before);
    QCOMPARE(m.fields()->count(), 7);
}

void tst_cubefile::encryptedFileHidesEverything()
{
    CubeModel m;
    arrange(m);
    m.setPassword(QStringLiteral("segredo"));
    const QString file = m_dir.filePath(QStringLiteral("enc.cub"));
    QVERIFY(m.save(file, SaveWithData));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(!bytes.contains("segredo"));
    QVERIFY(!bytes.contains("Loja Norte"));
    QVERIFY(!bytes.contains("ds_loja"));
    // A changed byte of the sealed payload fails the authentication.
    QByteArray bad = bytes;
    bad[bad.size() - 5] = char(bad.at(bad.size() - 5) ^ 1);
    const QString badFile = m_dir.filePath(QStringLiteral("enc-bad.cub"));
    QFile g(badFile);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write(bad);
    g.close();
    CubeModel back;
    back.setPassword(QStringLiteral("segredo"));
    QCOMPARE(back.load(badFile).code, int(CubeErrCorrupt));
    QVERIFY(back.load(file).ok);
}

// Offsets in a protected file: magic and version (9 bytes), flags, salt,
// opslimit, memlimit, nonce, key check, payload size, rows and columns,
// header checksum, sealed payload.
namespace header {
const int salt = 10, ops = 26, mem = 34, nonce = 42, check = 66, sizes = 82, sum = 98,
          payload = 114;
const int plainSum = 10, plainSizes = 26, plainPayload = 58; // a file without password
} // namespace header

static QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

static QString writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// The header checksum made right again after a change of the header.
static void resum(QByteArray &bytes, int sumAt)
{
    crypto_generichash(reinterpret_cast<unsigned char *>(bytes.data()) + sumAt, 16,
                       reinterpret_cast<const unsigned char *>(bytes.constData()), quint64(sumAt),
                       nullptr, 0);
}

void tst_cubefile::damagedOrWrongPassword_data()
{
    QTest::addColumn<bool>("protectedFile");
    QTest::addColumn<int>("flipAt"); // -1 none, -2 cut the file short
    QTest::addColumn<QString>("given");
    QTest::addColumn<int>("code");
    QTest::newRow("right password") << true << -1 << "segredo" << 0;
    QTest::newRow("wrong password") << true << -1 << "outra" << int(CubeErrPassword);
    QTest::newRow("no password") << true << -1 << "" << int(CubeErrPassword);
    QTest::newRow("salt") << true << header::salt + 3 << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("nonce") << true << header::nonce << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("key check") << true << header::check + 15 << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("header checksum") << true << header::sum << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("sealed payload")
        << true << header::payload + 40 << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("sealed payload, wrong password")
        << true << header::payload + 40 << "outra" << int(CubeErrPassword);
    QTest::newRow("cut short") << true << -2 << "segredo" << int(CubeErrCorrupt);
    QTest::newRow("plain payload")
        << false << header::plainPayload + 40 << "" << int(CubeErrCorrupt);
    QTest::newRow("plain checksum") << false << header::plainSum << "" << int(CubeErrCorrupt);
    QTest::newRow("plain, cut short") << false << -2 << "" << int(CubeErrCorrupt);
}

// "Senha incorreta." only for a wrong password; any changed byte is a damaged
// file, told before anything is decrypted.
void tst_cubefile::damagedOrWrongPassword()
{
    QFETCH(bool, protectedFile);
    QFETCH(int, flipAt);
    QFETCH(QString, given);
    QFETCH(int, code);
    CubeModel m;
    arrange(m);
    m.setPassword(protectedFile ? QStringLiteral("segredo") : QString());
    const QString file = m_dir.filePath(QStringLiteral("check.cub"));
    QVERIFY(m.save(file, SaveWithData | SaveCompressed));
    QByteArray bytes = fileBytes(file);
    if (flipAt >= 0)
        bytes[flipAt] = char(bytes.at(flipAt) ^ 0x20);
    else if (flipAt == -2)
        bytes.chop(bytes.size() / 3);
    writeBytes(file, bytes);
    CubeModel back;
    back.setPassword(given);
    const CubeResult r = back.load(file);
    QCOMPARE(r.code, code);
    if (code == CubeErrPassword)
        QCOMPARE(r.description, given.isEmpty() ? QStringLiteral("O arquivo do cubo pede senha.")
                                                : QStringLiteral("Senha incorreta."));
    if (code == CubeErrCorrupt)
        QCOMPARE(r.description, QStringLiteral("O arquivo do cubo está danificado."));
    if (code == 0)
        QCOMPARE(cubetest::dump(back), cubetest::dump(m));
}

void tst_cubefile::onlyOurKeyCost_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<quint64>("ops");
    QTest::addColumn<quint64>("mem");
    const quint64 ours = crypto_pwhash_MEMLIMIT_INTERACTIVE;
    QTest::newRow("one more round") << 2 << quint64(3) << ours;
    QTest::newRow("less memory") << 2 << quint64(2) << quint64(8192);
    QTest::newRow("the largest") << 2 << quint64(64) << (quint64(1) << 30);
    QTest::newRow("first version, one more round") << 1 << quint64(3) << ours;
    QTest::newRow("first version, more memory") << 1 << quint64(2) << ours * 2;
}

// A protected file naming a key-derivation cost this program never writes is
// damaged: refused at once, before a key is derived.
void tst_cubefile::onlyOurKeyCost()
{
    QFETCH(int, version);
    QFETCH(quint64, ops);
    QFETCH(quint64, mem);
    CubeModel m;
    arrange(m);
    m.setPassword(QStringLiteral("segredo"));
    const QString file = m_dir.filePath(QStringLiteral("cost.cub"));
    QVERIFY(m.save(file, SaveWithData));
    QByteArray bytes = fileBytes(file);
    if (version == 1) {
        // The first version: no key check and no header checksum.
        bytes[8] = 1;
        bytes.remove(header::check, header::payload - header::check);
    }
    for (int i = 0; i < 8; ++i) {
        bytes[header::ops + i] = char(ops >> (8 * (7 - i)));
        bytes[header::mem + i] = char(mem >> (8 * (7 - i)));
    }
    if (version == 2)
        resum(bytes, header::sum);
    writeBytes(file, bytes);
    CubeModel back;
    back.setPassword(QStringLiteral("segredo"));
    QElapsedTimer t;
    t.start();
    const CubeResult r = back.load(file);
    QCOMPARE(r.code, int(CubeErrCorrupt));
    QVERIFY2(t.elapsed() < 5000, "a key was derived");
}

// Files of the first version (no checks) are still read.
void tst_cubefile::readsFirstVersionFiles()
{
    CubeModel m;
    arrange(m);
    const QString plain = m_dir.filePath(QStringLiteral("v2plain.cub"));
    QVERIFY(m.save(plain, SaveWithData));
    const QByteArray payload = fileBytes(plain).mid(header::plainPayload);
    const QByteArray start = QByteArray("KQCUBE\0\0\x01", 9);
    const QString first = writeBytes(m_dir.filePath(QStringLiteral("v1plain.cub")),
                                     start + char(SaveWithData) + payload);
    // Protected, as the first version sealed it.
    unsigned char salt[crypto_pwhash_SALTBYTES];
    unsigned char nonce[crypto_secretbox_NONCEBYTES];
    unsigned char key[crypto_secretbox_KEYBYTES];
    randombytes_buf(salt, sizeof salt);
    randombytes_buf(nonce, sizeof nonce);
    const QByteArray pw("segredo");
    QVERIFY(crypto_pwhash(key, sizeof key, pw.constData(), quint64(pw.size()), salt,
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                          crypto_pwhash_ALG_ARGON2ID13)
            == 0);
    QByteArray sealed(payload.size() + crypto_secretbox_MACBYTES, Qt::Uninitialized);
    crypto_secretbox_easy(reinterpret_cast<unsigned char *>(sealed.data()),
                          reinterpret_cast<const unsigned char *>(payload.constData()),
                          quint64(payload.size()), nonce, key);
    QByteArray bytes = start + char(SaveWithData | 4);
    bytes.append(reinterpret_cast<const char *>(salt), sizeof salt);
    for (quint64 v : {quint64(crypto_pwhash_OPSLIMIT_INTERACTIVE),
                      quint64(crypto_pwhash_MEMLIMIT_INTERACTIVE)}) {
        for (int i = 7; i >= 0; --i)
            bytes.append(char(v >> (8 * i)));
    }
    bytes.append(reinterpret_cast<const char *>(nonce), sizeof nonce);
    const QString sealedFile
        = writeBytes(m_dir.filePath(QStringLiteral("v1sealed.cub")), bytes + sealed);

    CubeModel back;
    QVERIFY(back.load(first).ok);
    QCOMPARE(cubetest::dump(back), cubetest::dump(m));
    CubeModel locked;
    locked.setPassword(QStringLiteral("outra"));
    QCOMPARE(locked.load(sealedFile).code, int(CubeErrPassword));
    locked.setPassword(QStringLiteral("segredo"));
    QVERIFY(locked.load(sealedFile).ok);
    QCOMPARE(cubetest::dump(locked), cubetest::dump(m));
}

template<typename T>
static QByteArray bigEndian(T value)
{
    QByteArray out(sizeof(T), Qt::Uninitialized);
    qToBigEndian(value, out.data());
    return out;
}

void tst_cubefile::unpackingBounded_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("withData");      // the flag of a file with data
    QTest::addColumn<qint64>("packedShift"); // added to the size the compressed part declares
    QTest::addColumn<qint64>("headerShift"); // added to the size in the header
    QTest::addColumn<int>("rowsShift");      // added to the rows in the header
    QTest::addColumn<bool>("loads");
    const qint64 gb = qint64(1) << 30;
    QTest::newRow("second version") << 2 << true << 0LL << 0LL << 0 << true;
    QTest::newRow("second version, declaring more than 64 times its size")
        << 2 << true << gb << 0LL << 0 << false;
    QTest::newRow("second version, unpacking to more than it declares")
        << 2 << true << -1LL << 0LL << 0 << false;
    QTest::newRow("third version") << 3 << true << 0LL << 0LL << 0 << true;
    QTest::newRow("declaring more than its rows allow") << 3 << true << gb << gb << 0 << false;
    QTest::newRow("unpacking to more than it declares") << 3 << true << -1LL << -1LL << 0 << false;
    QTest::newRow("sizes that disagree") << 3 << true << 0LL << 1LL << 0 << false;
    QTest::newRow("rows not those of the data") << 3 << true << 0LL << 0LL << 1 << false;
    QTest::newRow("layout only, with rows") << 3 << false << 0LL << 0LL << 0 << false;
}

// A compressed payload unpacks no further than its file says it may: a size
// beyond what its rows and columns allow (64 times its compressed size in a
// file of the second version) is refused at once, and unpacking stops at the
// declared size.
void tst_cubefile::unpackingBounded()
{
    QFETCH(int, version);
    QFETCH(bool, withData);
    QFETCH(qint64, packedShift);
    QFETCH(qint64, headerShift);
    QFETCH(int, rowsShift);
    QFETCH(bool, loads);
    CubeModel m;
    arrange(m);
    const QString file = m_dir.filePath(QStringLiteral("packed.cub"));
    QVERIFY(m.save(file, SaveWithData | SaveCompressed));
    const QByteArray saved = fileBytes(file);
    const QByteArray cbor = qUncompress(saved.mid(header::plainPayload));
    QVERIFY(!cbor.isEmpty());
    const quint32 rows = qFromBigEndian<quint32>(saved.constData() + header::plainSizes + 8);
    const quint32 columns = qFromBigEndian<quint32>(saved.constData() + header::plainSizes + 12);
    QVERIFY(rows > 0 && columns > 0);

    QByteArray packed = qCompress(cbor, 1);
    packed.replace(0, 4, bigEndian(quint32(cbor.size() + packedShift)));
    QByteArray bytes = QByteArray("KQCUBE\0", 7) + bigEndian(quint16(version))
                       + char((withData ? SaveWithData : 0) | SaveCompressed)
                       + QByteArray(16, '\0');
    crypto_generichash(reinterpret_cast<unsigned char *>(bytes.data()) + header::plainSum, 16,
                       reinterpret_cast<const unsigned char *>(packed.constData()),
                       quint64(packed.size()), nullptr, 0);
    if (version >= 3)
        bytes += bigEndian(quint64(cbor.size() + headerShift)) + bigEndian(rows + rowsShift)
                 + bigEndian(columns);
    const int sumAt = int(bytes.size());
    bytes += QByteArray(16, '\0');
    resum(bytes, sumAt);
    writeBytes(file, bytes + packed);

    CubeModel back;
    const CubeResult r = back.load(file);
    QCOMPARE(r.ok, loads);
    if (loads) {
        QCOMPARE(cubetest::dump(back), cubetest::dump(m));
    } else {
        QCOMPARE(r.code, int(CubeErrCorrupt));
        QCOMPARE(r.description, QStringLiteral("O arquivo do cubo está danificado."));
    }
}

void tst_cubefile::saveFailureReported()
{
    CubeModel m;
    arrange(m);
    QVERIFY(!m.save(m_dir.filePath(QStringLiteral("no/such/folder/x.cub")), 0));
    QCOMPARE(m.lastErrorCode(), int(CubeErrWrite));
    QVERIFY(!m.save(QString(), 0));
    // Compression makes a file with data smaller.
    QVERIFY(m.save(m_dir.filePath(QStringLiteral("plain.cub")), SaveWithData));
    QVERIFY(m.save(m_dir.filePath(QStringLiteral("small.cub")), SaveWithData | SaveCompressed));
    QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("small.cub"))).size()
            < QFileInfo(m_dir.filePath(QStringLiteral("plain.cub"))).size());
}

void tst_cubefile::urls()
{
    CubeModel m;
    arrange(m);
    const QString file = m_dir.filePath(QStringLiteral("url.cub"));
    QVERIFY(m.save(file, SaveWithData));
    CubeModel back;
    QVERIFY(back.openUrl(QUrl::fromLocalFile(file).toString()));
    QVERIFY(!back.openUrl(QStringLiteral("http://exemplo.com.br/cubo.cub")));
    QCOMPARE(back.lastErrorCode(), int(CubeErrUnsupported));
}

// Reads an exported HTML table back: rows of cells (text, rowspan x colspan,
// style).
struct HtmlCell
{
    QString text;
    int rowSpan = 1, colSpan = 1;
    QString style;
};

static QVector<QVector<HtmlCell>> readHtml(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QXmlStreamReader r(&f);
    QVector<QVector<HtmlCell>> rows;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"tr")
            rows.append(QVector<HtmlCell>());
        if (r.isStartElement() && (r.name() == u"td" || r.name() == u"th")) {
            HtmlCell c;
            const auto a = r.attributes();
            c.rowSpan = a.hasAttribute("rowspan") ? a.value("rowspan").toInt() : 1;
            c.colSpan = a.hasAttribute("colspan") ? a.value("colspan").toInt() : 1;
            c.style = a.value("style").toString();
            c.text = r.readElementText();
            rows.last().append(c);
        }
    }
    if (r.hasError())
        qWarning() << r.errorString();
    return r.hasError() ? QVector<QVector<HtmlCell>>() : rows;
}

void tst_cubefile::htmlExport_data()
{
    QTest::addColumn<bool>("totals");
    QTest::addColumn<bool>("formatted");
    QTest::addColumn<bool>("colors");
    QTest::addColumn<bool>("merge");
    QTest::newRow("all") << true << true << true << true;
    QTest::newRow("none") << false << false << false << false;
}

void tst_cubefile::htmlExport()
{
    QFETCH(bool, totals);
    QFETCH(bool, formatted);
    QFETCH(bool, colors);
    QFETCH(bool, merge);
    CubeModel m;
    cubetest::defineCube(m, m_db);
    m.fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("DS_ESTADO"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    m.dataFields()->item(1)->setShown(false);
    QVERIFY(m.rebuild());
    m.fields()
        ->item(QStringLiteral("ds_loja"))
        ->dataItems()
        ->item(0)
        ->setCaption(QStringLiteral("Norte & <Cia> \"Ltda\""));
    // A marker: values above 300 in red on white.
    connect(&m, &CubeModel::formatCellRequested, this, [](CubeCell *c) {
        if (!c->empty && c->value > 300) {
            c->foreColor = 255;
            c->backColor = 0xFFFFFF;
        }
    });
    const QString file = m_dir.filePath(QStringLiteral("HtmlExport.htm"));
    QVERIFY(m.exportHtml(file, totals, formatted, colors, merge));
    const auto rows = readHtml(file);
    QVERIFY(!rows.isEmpty());
    // Heading line + Norte RJ, SP, Total + Sul RJ, SP, Total + Total.
    QCOMPARE(rows.size(), totals ? 8 : 5);
    QCOMPARE(rows.at(0).last().text, totals ? QStringLiteral("Total") : QStringLiteral("2024"));
    QCOMPARE(rows.at(1).at(0).text, QStringLiteral("Norte & <Cia> \"Ltda\""));
    QCOMPARE(rows.at(1).at(0).rowSpan, merge ? (totals ? 3 : 2) : 1);
    // Norte/RJ in 2023: 50.
    const int first = 2;
    QCOMPARE(rows.at(1).at(first).text, formatted ? QStringLiteral("50,00") : QStringLiteral("50"));
    // Sul/RJ 2024 = 425: coloured by the handler when colours are asked for.
    const HtmlCell sul = rows.at(totals ? 4 : 3).at(3);
    QCOMPARE(sul.text, formatted ? QStringLiteral("425,00") : QStringLiteral("425"));
    QCOMPARE(sul.style.contains(QStringLiteral("color:#ff0000")), colors);
}

void tst_cubefile::excelExport()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    m.fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    QVERIFY(m.rebuild());
    connect(&m, &CubeModel::formatCellRequested, this, [](CubeCell *c) {
        if (c->value == 725)
            c->backColor = 65280;
    });
    const QString file = m_dir.filePath(QStringLiteral("ExcelExport.xls"));
    QVERIFY(m.exportExcel(file, true, true, true, true));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader r(&f);
    const QString ss = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");
    int rows = 0;
    QStringList numbers;
    QStringList merges;
    QHash<QString, QString> interior; // style id -> colour
    QString currentStyle, greenStyleUsed;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == u"Style")
            currentStyle = r.attributes().value(ss, "ID").toString();
        if (r.name() == u"Interior")
            interior.insert(currentStyle, r.attributes().value(ss, "Color").toString());
        if (r.name() == u"Row")
            ++rows;
        if (r.name() == u"Cell") {
            const auto a = r.attributes();
            if (a.hasAttribute(ss, "MergeAcross"))
                merges << a.value(ss, "MergeAcross").toString();
            currentStyle = a.value(ss, "StyleID").toString();
        }
        if (r.name() == u"Data" && r.attributes().value(ss, "Type") == u"Number") {
            const QString v = r.readElementText();
            numbers << v;
            if (v == u"725")
                greenStyleUsed = currentStyle;
        }
    }
    QVERIFY2(!r.hasError(), qPrintable(r.errorString()));
    // 2 heading lines (years, then data captions) + Norte, Sul, Total.
    QCOMPARE(rows, 5);
    QVERIFY(merges.contains(QStringLiteral("1"))); // each year spans its two data fields
    QVERIFY(numbers.contains(QStringLiteral("1265")));
    QCOMPARE(numbers.size(), 3 * 6 - 2); // Sul has no 2023 cells
    QCOMPARE(interior.value(greenStyleUsed), QStringLiteral("#00ff00"));
}

QTEST_MAIN(tst_cubefile)
#include "tst_cubefile.moc"
