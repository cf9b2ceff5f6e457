// Cube files, damaged in every way the mutation engine knows. The seeds are
// written by the cube's own save at test time (layout only, with data,
// compressed, with a password), so they follow the file format as it is. A
// refused file gives an error number and text and leaves the cube as it
// was; a file taken gives a cube that shows, saves and reads back the same.
#include "support/cubefixture.h"
#include "data/database.h"
#include "fuzz/fuzzengine.h"
#include "cube/model/cubemodel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kq::platform;

class tst_fuzzcubefile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_db;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // A cube over the fixture with rows, columns and two data fields.
    void arrange(CubeModel &m);
    // The cube's files saved with each of the flags.
    QList<QByteArray> seeds(CubeModel &m, const QList<int> &flags);
    QString check(CubeModel &m, const QByteArray &input, const QString &reference);
    void fuzzFiles(const QString &name, const QString &password, const QList<int> &flags);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void plainFiles();
    void encryptedFiles();
};

void tst_fuzzcubefile::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_db = cubetest::makeFixture(m_dir.path());
}

void tst_fuzzcubefile::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

void tst_fuzzcubefile::arrange(CubeModel &m)
{
    cubetest::defineCube(m, m_db);
    m.fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    m.fields()->item(QStringLiteral("ds_loja"))->setLabelDescending(1);
    m.setHeaderCaption(QStringLiteral("Análise"));
    QVERIFY(m.rebuild());
    m.fields()->item(QStringLiteral("Ano"))->dataItems()->item(0)->setCaption("Ano 1");
    m.setRowHeadingExpanded(0, 0, false);
}

QList<QByteArray> tst_fuzzcubefile::seeds(CubeModel &m, const QList<int> &flags)
{
    QList<QByteArray> out;
    for (int f : flags) {
        const QString file = path(QStringLiteral("semente%1.cub").arg(f));
        if (!m.save(file, f))
            qFatal("seed not saved: %s", qPrintable(m.lastError()));
        QFile in(file);
        if (in.open(QIODevice::ReadOnly))
            out << in.readAll();
    }
    return out;
}

QString tst_fuzzcubefile::check(CubeModel &m, const QByteArray &input, const QString &reference)
{
    const QString file = path(QStringLiteral("entrada.cub"));
    if (!kq::fuzz::writeFile(file, input))
        return QStringLiteral("could not write the input");
    const QString before = cubetest::dump(m);
    const CubeResult r = m.load(file);
    if (!r.ok) {
        if (r.code == CubeErrNone || r.description.isEmpty())
            return QStringLiteral("refused without an error number or text");
        return cubetest::dump(m) == before ? QString()
                                           : QStringLiteral("a refused file changed the cube");
    }
    // Every cell and heading is shown; the cube saves and reads back the same
    // (without its password: a key derivation per file would take the budget).
    const QString taken = cubetest::dump(m);
    for (int row = 0; row < m.rowCount(); ++row)
        for (int col = 0; col < m.columnCount(); ++col) {
            m.formatCell(row, col);
            m.cellText(row, col);
        }
    const QString password = m.password();
    m.setPassword(QString());
    const QString copy = path(QStringLiteral("copia.cub"));
    QString fault;
    if (!m.save(copy, SaveWithData | SaveCompressed)) {
        fault = QStringLiteral("a cube read could not be saved: ") + m.lastError();
    } else if (const CubeResult again = m.load(copy); !again.ok) {
        fault = QStringLiteral("its own file is refused: ") + again.description;
    } else if (cubetest::dump(m) != taken) {
        fault = QStringLiteral("its own file reads back different");
    } else if (const CubeResult reset = m.load(reference); !reset.ok) {
        fault = QStringLiteral("the reference file is refused: ") + reset.description;
    }
    m.setPassword(password);
    return fault;
}

void tst_fuzzcubefile::fuzzFiles(const QString &name, const QString &password,
                                 const QList<int> &flags)
{
    CubeModel m;
    arrange(m);
    const QString reference = path(QStringLiteral("referencia.cub"));
    QVERIFY2(m.save(reference, SaveWithData), qPrintable(m.lastError()));
    m.setPassword(password);
    const kq::fuzz::Mutator mutator(
        seeds(m, flags), {"KQCUBE", QByteArray("KQCUBE\0", 7), "fields", "orientation", "position",
                          "dataIndex", "aggregate", "codes", "dict", "rows", "items", "totals"});
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        name, mutator, [&](const QByteArray &in) { return check(m, in, reference); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

void tst_fuzzcubefile::plainFiles()
{
    fuzzFiles(QStringLiteral("cubefile"), QString(),
              {SaveWithData, SaveLayoutOnly, SaveCompressed, SaveWithData | SaveCompressed});
}

// Every load derives a key, so fewer runs fit the budget.
void tst_fuzzcubefile::encryptedFiles()
{
    fuzzFiles(QStringLiteral("cubefile-password"), QStringLiteral("segredo"),
              {SaveWithData, SaveLayoutOnly | SaveCompressed});
}

QTEST_MAIN(tst_fuzzcubefile)
#include "tst_fuzzcubefile.moc"
