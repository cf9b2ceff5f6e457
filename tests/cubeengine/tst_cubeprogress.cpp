// Long work of the cube (reading the source, opening a file, exporting)
// reports its progress, and a cancel loses nothing: the cube keeps what it
// held and no file is left behind.

#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/engine/cubeview.h"
#include "cube/engine/dcube.h"
#include "support/base_dialogs.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace kq::platform;

namespace {

const int kRows = 20000;

// Cancels at the given call (counting from 1); counts the calls.
struct Canceller
{
    int cancelAt = -1;
    QList<QPair<qint64, qint64>> calls;
    CubeProgress callback()
    {
        return [this](qint64 done, qint64 total) {
            calls.append({done, total});
            return cancelAt < 0 || calls.size() < cancelAt;
        };
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_cubeprogress : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void readingReportsRows();
    void cancelledReadingKeepsTheCube();
    void cancelledFirstReadingReadsOnlyWhenAsked();
    void widgetPaintsTheCubeAsItWasMeanwhile();
    void cancelledLoadKeepsTheCube_data();
    void cancelledLoadKeepsTheCube();
    void cancelledSaveLeavesTheFile_data();
    void cancelledSaveLeavesTheFile();
    void cancelledExportLeavesNoFile_data();
    void cancelledExportLeavesNoFile();

private:
    void define(CubeModel &m, const QString &source = QStringLiteral("big"));
    QTemporaryDir m_dir;
    QString m_db;
};

void tst_cubeprogress::initTestCase()
{
    m_db = m_dir.filePath(QStringLiteral("big.db"));
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bigfixture"));
        db.setDatabaseName(m_db);
        QVERIFY(db.open());
        QList<QHash<QString, QVariant>> rows;
        for (int i = 0; i < kRows; ++i)
            rows.append({{QStringLiteral("id"), i},
                         {QStringLiteral("store"), QStringLiteral("Loja %1").arg(i % 600)},
                         {QStringLiteral("v"), double(i % 97)}});
        cubetest::makeTable(db, QStringLiteral("big"), {"id INTEGER", "store TEXT", "v REAL"},
                            rows);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bigfixture"));
}

void tst_cubeprogress::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

void tst_cubeprogress::define(CubeModel &m, const QString &source)
{
    m.setDatabaseName(m_db);
    m.setRecordSource(source);
    m.addField(QStringLiteral("store"), QStringLiteral("Loja"), OrientRow);
    m.addField(QStringLiteral("v"), QStringLiteral("Valor"), OrientData);
}

void tst_cubeprogress::readingReportsRows()
{
    CubeModel m;
    define(m);
    Canceller c;
    QVERIFY(m.rebuild(c.callback()));
    QCOMPARE(m.sourceRowCount(), kRows);
    QVERIFY(c.calls.size() >= 2);
    for (int i = 1; i < c.calls.size(); ++i)
        QVERIFY(c.calls.at(i).first > c.calls.at(i - 1).first);
    QVERIFY(c.calls.last().first <= kRows);
}

void tst_cubeprogress::cancelledReadingKeepsTheCube()
{
    CubeModel m;
    define(m);
    QVERIFY(m.rebuild());
    const QString before = cubetest::dump(m);
    m.setRecordSource(QStringLiteral("SELECT * FROM big WHERE id < 15000"));
    Canceller c;
    c.cancelAt = 1;
    QVERIFY(!m.rebuild(c.callback()));
    QCOMPARE(m.lastErrorCode(), int(CubeErrCancelled));
    QCOMPARE(m.sourceRowCount(), kRows);
    QCOMPARE(cubetest::dump(m), before);
    // Asked again, it reads.
    QVERIFY(m.rebuild());
    QCOMPARE(m.sourceRowCount(), 15000);
}

void tst_cubeprogress::cancelledFirstReadingReadsOnlyWhenAsked()
{
    CubeModel m;
    define(m);
    Canceller c;
    c.cancelAt = 2;
    QVERIFY(!m.rebuild(c.callback()));
    QCOMPARE(m.lastErrorCode(), int(CubeErrCancelled));
    QVERIFY(!m.hasData());
    // Queries (painting) do not start the long reading again on their own.
    QCOMPARE(m.rowCount(), 0);
    QVERIFY(!m.hasData());
    QCOMPARE(c.calls.size(), 2);
    QVERIFY(m.rebuild());
    QCOMPARE(m.sourceRowCount(), kRows);
    QCOMPARE(m.rowCount(), 601);
}

// The window repaints while the rows come in, showing the cube as it was.
void tst_cubeprogress::widgetPaintsTheCubeAsItWasMeanwhile()
{
    DCube cube;
    cube.resize(600, 400);
    define(*cube.model(), QStringLiteral("SELECT * FROM big WHERE id < 1000"));
    QVERIFY(cube.rebuild());
    cube.show();
    QCOMPARE(cube.rowCount(), 601);
    const int layouts = cube.model()->layoutCount();
    cube.setRecordSource(QStringLiteral("big"));
    cube.model()->fields()->item(QStringLiteral("store"))->setOrientation(OrientColumn);
    // At every step of the progress, the window is painted.
    struct Painting : kq::test::ScriptedDialogs
    {
        std::function<void()> onStep;
        bool progress(const QString &label, int value, int maximum) override
        {
            onStep();
            return ScriptedDialogs::progress(label, value, maximum);
        }
    } dialogs;
    QList<int> rowsSeen;
    dialogs.onStep = [&] {
        cube.view()->viewport()->repaint();
        QCoreApplication::processEvents();
        rowsSeen << cube.rowCount();
    };
    QVERIFY(cube.rebuild());
    QVERIFY(!rowsSeen.isEmpty());
    QCOMPARE(dialogs.progressLabels, QStringList{"Montando o cubo..."});
    QCOMPARE(rowsSeen, QList<int>(rowsSeen.size(), 601));
    QCOMPARE(cube.model()->layoutCount(), layouts + 1);
    QCOMPARE(cube.rowCount(), 1);
    QCOMPARE(cube.model()->sourceRowCount(), kRows);
}

void tst_cubeprogress::cancelledLoadKeepsTheCube_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("cancelAt");
    for (int flags : {int(SaveLayoutOnly), int(SaveWithData | SaveCompressed)}) {
        for (int at = 1; at <= 5; ++at)
            QTest::addRow("flags %d, step %d", flags, at) << flags << at;
    }
}

void tst_cubeprogress::cancelledLoadKeepsTheCube()
{
    QFETCH(int, flags);
    QFETCH(int, cancelAt);
    const QString file = m_dir.filePath(QStringLiteral("big.cub"));
    {
        CubeModel saved;
        define(saved);
        saved.addField(QStringLiteral("id"), QStringLiteral("Id"), OrientPage);
        QVERIFY(saved.rebuild());
        QVERIFY(saved.save(file, flags));
    }
    CubeModel m;
    define(m, QStringLiteral("SELECT * FROM big WHERE id < 100"));
    QVERIFY(m.rebuild());
    const QString before = cubetest::dump(m);
    Canceller c;
    c.cancelAt = cancelAt;
    const CubeResult r = m.load(file, c.callback());
    QCOMPARE(r.code, int(CubeErrCancelled));
    QCOMPARE(cubetest::dump(m), before);
    QCOMPARE(m.fields()->count(), 2);
    QVERIFY(m.load(file).ok);
    QCOMPARE(m.fields()->count(), 3);
}

void tst_cubeprogress::cancelledSaveLeavesTheFile_data()
{
    QTest::addColumn<int>("cancelAt");
    for (int at = 1; at <= 4; ++at)
        QTest::addRow("step %d", at) << at;
}

// A save cancelled at any step writes nothing: the last file stays whole.
void tst_cubeprogress::cancelledSaveLeavesTheFile()
{
    QFETCH(int, cancelAt);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("cubo.cub"));
    CubeModel m;
    define(m);
    QVERIFY(m.rebuild());
    m.setPassword(QStringLiteral("segredo"));
    QVERIFY(m.save(file, SaveWithData | SaveCompressed));
    const QByteArray before = readAll(file);
    m.fields()->item(QStringLiteral("store"))->setCaption(QStringLiteral("Outra"));
    Canceller c;
    c.cancelAt = cancelAt;
    QVERIFY(!m.save(file, SaveWithData | SaveCompressed, c.callback()));
    QCOMPARE(m.lastErrorCode(), int(CubeErrCancelled));
    QCOMPARE(c.calls.size(), cancelAt);
    QCOMPARE(readAll(file), before);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void tst_cubeprogress::cancelledExportLeavesNoFile_data()
{
    QTest::addColumn<bool>("excel");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("cancelAt");
    for (bool excel : {false, true}) {
        for (bool existing : {false, true}) {
            QTest::addRow("%s, %s, at once", excel ? "Excel" : "HTML",
                          existing ? "over a file" : "new file")
                << excel << existing << 1;
            QTest::addRow("%s, %s, midway", excel ? "Excel" : "HTML",
                          existing ? "over a file" : "new file")
                << excel << existing << 2;
        }
    }
}

void tst_cubeprogress::cancelledExportLeavesNoFile()
{
    QFETCH(bool, excel);
    QFETCH(bool, existing);
    QFETCH(int, cancelAt);
    QTemporaryDir out;
    const QString file = out.filePath(excel ? QStringLiteral("ExcelExport.xls")
                                            : QStringLiteral("HtmlExport.htm"));
    if (existing) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("the last export");
    }
    CubeModel m;
    define(m);
    QVERIFY(m.rebuild());
    QVERIFY(m.rowCount() > 512);
    Canceller c;
    c.cancelAt = cancelAt;
    const bool written = excel ? m.exportExcel(file, true, true, true, true, c.callback())
                               : m.exportHtml(file, true, true, true, true, c.callback());
    QVERIFY(!written);
    QCOMPARE(m.lastErrorCode(), int(CubeErrCancelled));
    QCOMPARE(c.calls.size(), cancelAt);
    QCOMPARE(QFile::exists(file), existing);
    if (existing)
        QCOMPARE(readAll(file), QByteArray("the last export"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0);
    // Not cancelled, the whole file; the progress reaches the last lines.
    Canceller all;
    QVERIFY(excel ? m.exportExcel(file, true, true, true, true, all.callback())
                  : m.exportHtml(file, true, true, true, true, all.callback()));
    QVERIFY(readAll(file).size() > 10000);
    QVERIFY(all.calls.size() >= 3);
    QCOMPARE(all.calls.last().second, qint64(m.rowCount() + 1));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(tst_cubeprogress)
#include "tst_cubeprogress.moc"
