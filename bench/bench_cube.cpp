// Cube benchmark: the cheque cube of the sales-cube screen over generated
// portfolios of 10,000, 100,000 and 1,000,000 cheques. Each figure is printed
// beside its baseline, measured in the same run and interleaved with it:
//   - build: SQLite's GROUP BY of the same figures on the same connection;
//   - pivot changes: SQLite's GROUP BY of the new pivot;
//   - scroll and repaint: the same cells painted from a plain array;
//   - memory: the process's peak resident size beside the size of the
//     database file the cube reads, with the program's own part (anonymous
//     memory) and the file's pages read through SQLite's mapping told apart.
// Then the HTML and Excel exports of the 200,000-cheque pivot with the
// debtors on the rows (≈123,000 rows × 62 columns).
//
//   QT_QPA_PLATFORM=offscreen bench_cube [--no-1m] [--sizes N,N,..] [--rounds R]
//                                        [--keep DIR] [--no-export] [--server STATE]
//
// Every size runs in a child process of its own, so that its memory figures
// start clean; --keep keeps the generated portfolios in DIR for the next run.
// --server STATE (a server started by scripts/pg-cluster.sh start STATE
// --durable): instead, each portfolio (200,000 cheques unless --sizes says)
// is copied to a database of its own on that server, and the build there is
// timed beside the build on SQLite and beside the server's own GROUP BY.

#include "benchmemory.h"
#include "benchserver.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "data/rowstream.h"
#include "data/server.h"
#include "cube/engine/cubeview.h"
#include "cube/engine/dcube.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

using namespace kq::platform;

namespace {

const char *kSource
    = "SELECT DEVOLVIDOS.vl_atualizado, CLIENTES.NM_CLIENTE, CLIENTES.DS_ESTADO, "
      "CLIENTES.DS_CIDADE, DEVOLVIDOS.DT_DEPOSITO, DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, "
      "lojas.ds_loja, DESTINOS.DS_DESTINO, SITUACOES.DS_SITUACAO, documentos.DS_documento\r\n"
      "FROM (SITUACOES INNER JOIN ((DESTINOS INNER JOIN (CLIENTES INNER JOIN DEVOLVIDOS ON "
      "CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON DESTINOS.CD_DESTINO = "
      "DEVOLVIDOS.CD_DESTINO) INNER JOIN lojas ON DEVOLVIDOS.CD_LOJA = lojas.cd_loja) ON "
      "SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON "
      "DEVOLVIDOS.cd_documento = documentos.CD_documento\r\n";

// Old export path (the whole grid built in memory, then the whole text),
// measured once on this machine at 200,000 cheques before the exports streamed.
const double kOldHtmlSeconds = 34.6;
const double kOldHtmlMb = 2890;
const double kOldExcelSeconds = 44.7;
const double kOldExcelMb = 1350;

sqlite3 *handleOf(const QString &db)
{
    const QVariant v = kq::data::database(db).driver()->handle();
    return *static_cast<sqlite3 *const *>(v.constData());
}

void execOrDie(sqlite3 *h, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, err);
        std::exit(2);
    }
}

// A portfolio: 40 stores, one debtor for ten cheques in ten states and 300
// cities, deposits over six years, three situations, destinations and
// document types, 30 banks.
void generate(const QString &folder, int cheques)
{
    kq::data::prepareDataFolder(folder);
    const QString db = kq::data::dataFile(folder, kq::data::kDevolvidos);
    sqlite3 *h = handleOf(db);
    QRandomGenerator rng(730);
    execOrDie(h, "BEGIN");
    execOrDie(h, "INSERT INTO destinos VALUES ('002','JURÍDICO'),('003','LOJA')");
    execOrDie(h, "INSERT INTO documentos VALUES ('02','DUPLICATA'),('03','NOTA')");
    auto prepare = [&](const char *sql) {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(h, sql, -1, &s, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(h));
            std::exit(2);
        }
        return s;
    };
    auto text = [](sqlite3_stmt *s, int i, const QByteArray &t) {
        sqlite3_bind_text(s, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    };
    auto run = [&](sqlite3_stmt *s) {
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(h));
            std::exit(2);
        }
        sqlite3_reset(s);
    };
    sqlite3_stmt *loja = prepare("INSERT INTO lojas (CD_loja, DS_loja) VALUES (?, ?)");
    for (int i = 1; i <= 40; ++i) {
        text(loja, 1, QByteArray::number(i).rightJustified(3, '0'));
        text(loja, 2, "LOJA " + QByteArray::number(i));
        run(loja);
    }
    sqlite3_finalize(loja);
    const char *states[] = {"SP", "RJ", "MG", "PR", "SC", "RS", "BA", "GO", "PE", "CE"};
    const int debtors = qMax(1, cheques / 10);
    sqlite3_stmt *cli = prepare("INSERT INTO CLIENTES (CD_cliente, nm_cliente, DS_cidade, "
                                "ds_estado) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= debtors; ++i) {
        text(cli, 1, QByteArray::number(i).rightJustified(6, '0'));
        text(cli, 2, "DEVEDOR " + QByteArray::number(i));
        text(cli, 3, "CIDADE " + QByteArray::number(i % 300));
        text(cli, 4, states[i % 10]);
        run(cli);
    }
    sqlite3_finalize(cli);
    const char *situations[] = {"001", "002", "007"};
    sqlite3_stmt *chq = prepare(
        "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, VL_CHEQUE, "
        "CD_SITUACAO, CD_DESTINO, CD_BANCO, CD_documento, vl_atualizado) "
        "VALUES (?,?,?,?,?,?,?,?,?,?)");
    const QDate start(2019, 1, 1);
    for (int i = 1; i <= cheques; ++i) {
        const double value = 10 + rng.bounded(500000) / 100.0;
        text(chq, 1, QByteArray::number(i).rightJustified(10, '0'));
        text(chq, 2, QByteArray::number(1 + rng.bounded(debtors)).rightJustified(6, '0'));
        text(chq, 3, QByteArray::number(1 + rng.bounded(40)).rightJustified(3, '0'));
        text(chq, 4, start.addDays(rng.bounded(6 * 365)).toString(Qt::ISODate).toLatin1());
        sqlite3_bind_double(chq, 5, value);
        text(chq, 6, situations[rng.bounded(3)]);
        text(chq, 7, "00" + QByteArray::number(1 + rng.bounded(3)));
        text(chq, 8, QByteArray::number(1 + rng.bounded(30)).rightJustified(3, '0'));
        text(chq, 9, "0" + QByteArray::number(1 + rng.bounded(3)));
        sqlite3_bind_double(chq, 10, value * 1.1);
        run(chq);
    }
    sqlite3_finalize(chq);
    execOrDie(h, "COMMIT");
    kq::data::closeAllDatabases();
}

void defineCube(DCube &cube, const QString &db)
{
    cube.setConnectType(1);
    cube.setConnect(QStringLiteral("Access"));
    cube.setDatabaseName(db);
    cube.setRecordSource(QString::fromUtf8(kSource));
    const char *dims[][2] = {{"NM_CLIENTE", "Inadimplemte"},
                             {"DS_ESTADO", "Estado"},
                             {"DS_CIDADE", "Cidade"},
                             {"DT_DEPOSITO", "Vencimento"},
                             {"datepart(\"m\",DEVOLVIDOS.DT_DEPOSITO)", "Mês Vencimento"},
                             {"datepart(\"yyyy\",DEVOLVIDOS.DT_DEPOSITO)", "Ano Vencimento"},
                             {"datepart(\"q\",DEVOLVIDOS.DT_DEPOSITO)", "Trimestre Vencimento"},
                             {"CD_BANCO", "Banco"},
                             {"ds_loja", "Cliente"},
                             {"DS_SITUACAO", "Situação"},
                             {"DS_DESTINO", "Destino"}};
    for (const auto &d : dims)
        cube.addField(QString::fromUtf8(d[0]), QString::fromUtf8(d[1]), OrientPage);
    CubeField *v = cube.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), OrientData);
    v->setName(QStringLiteral("sumVL_CHEQUE"));
    v->setNumberFormat(QStringLiteral("0.00"));
    CubeField *a
        = cube.addField(QStringLiteral("vl_atualizado"), QStringLiteral("Atualizado"), OrientData);
    a->setName(QStringLiteral("Atualizado"));
    a->setNumberFormat(QStringLiteral("0.00"));
    cube.addField(QStringLiteral("DS_documento"), QStringLiteral("Tipo Documento"), OrientPage);
}

CubeField *byCaption(DCube &cube, const char *caption)
{
    for (CubeField *f : cube.fields()->all()) {
        if (f->caption() == QString::fromUtf8(caption))
            return f;
    }
    std::fprintf(stderr, "no field %s\n", caption);
    std::exit(2);
}

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The process's peak memory while it lives: the resident size (the kernel's
// high-water mark) and, sampled every 5 ms, the most of it that was the
// program's own and the most that was pages of mapped files (the database
// file SQLite reads through its mapping).
class PeakRss
{
public:
    PeakRss()
        : m_before(kq::bench::anonMb())
        , m_anon(m_before)
        , m_file(kq::bench::fileMb())
    {
        kq::bench::resetPeak();
        m_thread = std::thread([this] {
            while (!m_stop.load()) {
                sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~PeakRss() { stop(); }
    struct Figures
    {
        double total = 0, own = 0, file = 0; // MB
        double ownBefore = 0;                // the program's own when the watch began
    };
    Figures peak()
    {
        stop();
        sample();
        return {double(std::max(kq::bench::peakMb(), kq::bench::rssMb())), double(m_anon.load()),
                double(m_file.load()), double(m_before)};
    }

private:
    void sample()
    {
        m_anon.store(std::max(m_anon.load(), kq::bench::anonMb()));
        m_file.store(std::max(m_file.load(), kq::bench::fileMb()));
    }
    void stop()
    {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
    }
    const long m_before;
    std::atomic<long> m_anon;
    std::atomic<long> m_file;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

PeakRss::Figures most(const PeakRss::Figures &a, const PeakRss::Figures &b)
{
    return {std::max(a.total, b.total), std::max(a.own, b.own), std::max(a.file, b.file),
            std::max(a.ownBefore, b.ownBefore)};
}

void row(int size, const char *what, double program, double baseline, const char *unit,
         const char *target)
{
    std::printf("%9d  %-42s %10.2f %-2s %10.2f %-2s %7.2f  %s\n", size, what, program, unit,
                baseline, unit, baseline > 0 ? program / baseline : 0.0, target);
    std::fflush(stdout);
}

// The peak memory of a build: the resident size beside the size of the
// database file, the most of it that was the program's own beside what it
// held before the build, and the most that was pages of mapped files (the
// database file read through SQLite's mapping: the system's cache, shared and
// clean; and the libraries) beside the file.
void memoryRows(int size, const char *what, const PeakRss::Figures &m, double fileMb)
{
    char label[96];
    std::snprintf(label, sizeof label, "peak memory of the %s (vs. file)", what);
    row(size, label, m.total, fileMb, "MB", "file pages apart");
    row(size, "  of it the program's own (vs. before)", m.own, m.ownBefore, "MB", "<= 400 MB");
    row(size, "  of it mapped file pages (vs. file)", m.file, fileMb, "MB", "");
}

// SQLite's GROUP BY of the record source by some dimensions, summing both
// values; every result value is read. Milliseconds.
double groupBy(const QString &db, const QString &dims, const QString &where = QString())
{
    const QString sql = QStringLiteral("SELECT %1, SUM(VL_CHEQUE), SUM(vl_atualizado) FROM (%2) "
                                       "%3 GROUP BY %1")
                            .arg(dims, kq::data::translateJet(QString::fromUtf8(kSource)), where);
    sqlite3 *h = handleOf(db);
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *s = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(h, text.constData(), int(text.size()), &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n%s\n", text.constData(), sqlite3_errmsg(h));
        std::exit(2);
    }
    const int n = sqlite3_column_count(s);
    double sink = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            if (sqlite3_column_type(s, i) == SQLITE_TEXT)
                sink += sqlite3_column_bytes(s, i);
            else
                sink += sqlite3_column_double(s, i);
        }
    }
    sqlite3_finalize(s);
    const double ms = msSince(t);
    return sink == -1 ? 0 : ms;
}

const QString kBuildDims = QStringLiteral("DS_ESTADO, ds_loja, datepart('yyyy', DT_DEPOSITO)");
const QString kDebtorDims
    = QStringLiteral("DS_ESTADO, ds_loja, NM_CLIENTE, datepart('yyyy', DT_DEPOSITO)");
const QString kMonthDims = QStringLiteral(
    "DS_ESTADO, ds_loja, datepart('yyyy', DT_DEPOSITO), datepart('q', DT_DEPOSITO), "
    "datepart('m', DT_DEPOSITO)");
const QString kNotFirstSituation
    = QStringLiteral("WHERE DS_SITUACAO <> (SELECT MIN(DS_SITUACAO) FROM SITUACOES)");

DCube *newCube(const QString &db)
{
    auto *cube = new DCube;
    cube->resize(1280, 800);
    defineCube(*cube, db);
    byCaption(*cube, "Estado")->setOrientation(OrientRow);
    byCaption(*cube, "Cliente")->setOrientation(OrientRow);
    byCaption(*cube, "Ano Vencimento")->setOrientation(OrientColumn);
    return cube;
}

// Paints n cells as the view does, from a plain array of texts: the floor of
// a frame of that many cells.
double plainFrame(QSize size, int cells, int frames)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QStringList texts;
    for (int i = 0; i < 997; ++i)
        texts << QString::number(1234.5 + i * 7.25, 'f', 2).replace(u'.', u',');
    QElapsedTimer t;
    t.start();
    for (int f = 0; f < frames; ++f) {
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::lightGray);
        const int perRow = 14;
        for (int i = 0; i < cells; ++i) {
            const QRect r(200 + (i % perRow) * 75, 80 + (i / perRow) * 20, 75, 20);
            p.fillRect(r, Qt::white);
            p.setPen(Qt::gray);
            p.drawLine(r.topRight(), r.bottomRight());
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.setPen(Qt::black);
            p.drawText(r.adjusted(3, 0, -4, 0), Qt::AlignVCenter | Qt::AlignRight,
                       texts.at((i + f) % texts.size()));
        }
    }
    return msSince(t) / frames;
}

int measure(int size, const QString &db, int rounds)
{
    const double fileMb = double(QFileInfo(db).size()) / (1024.0 * 1024.0);
    groupBy(db, kBuildDims); // warm the file into the system's cache
    double base = 1e300, prog = 1e300;
    PeakRss::Figures memory;
    DCube *cube = nullptr;
    for (int r = 0; r < rounds; ++r) {
        base = std::min(base, groupBy(db, kBuildDims));
        delete cube;
        PeakRss peak;
        QElapsedTimer t;
        t.start();
        cube = newCube(db);
        if (!cube->rebuild()) {
            std::fprintf(stderr, "rebuild failed: %s\n", qPrintable(cube->model()->lastError()));
            return 1;
        }
        prog = std::min(prog, msSince(t));
        memory = most(memory, peak.peak());
    }
    row(size, "build (source, 14 fields, layout)", prog, base, "ms", "ratio <= 1.2");

    auto step = [&](const char *what, const QString &dims, const QString &where,
                    const std::function<void()> &change) {
        const double b = groupBy(db, dims, where);
        QElapsedTimer s;
        s.start();
        change();
        cube->model()->ensureLayout();
        const double p = msSince(s);
        char label[96];
        std::snprintf(label, sizeof label, "%s (%dx%d)", what, cube->rowCount(),
                      cube->columnCount());
        row(size, label, p, b, "ms", "<= 500 ms");
    };
    step("pivot: debtors to the rows", kDebtorDims, QString(),
         [&] { byCaption(*cube, "Inadimplemte")->setOrientation(OrientRow); });
    step("pivot: rank debtors by value", kDebtorDims, QString(), [&] {
        CubeField *f = byCaption(*cube, "Inadimplemte");
        f->setSortType(SortRankDescending);
        f->setRankDataField(1);
    });
    step("pivot: filter out a situation", kDebtorDims, kNotFirstSituation,
         [&] { byCaption(*cube, "Situação")->dataItems()->item(0)->setIncluded(false); });
    step("pivot: collapse the stores", kBuildDims, kNotFirstSituation,
         [&] { byCaption(*cube, "Cliente")->setExpanded(false); });
    step("pivot: quarter and month to the columns", kMonthDims, kNotFirstSituation, [&] {
        byCaption(*cube, "Trimestre Vencimento")->setOrientation(OrientColumn);
        byCaption(*cube, "Mês Vencimento")->setOrientation(OrientColumn);
    });
    step("pivot: stores expanded, month to the page", kDebtorDims, kNotFirstSituation, [&] {
        byCaption(*cube, "Cliente")->setExpanded(true);
        byCaption(*cube, "Mês Vencimento")->setOrientation(OrientPage);
    });

    cube->show();
    QCoreApplication::processEvents();
    CubeView *view = cube->view();
    QScrollBar *vbar = view->verticalScrollBar();
    const int frames = 200;
    vbar->setValue(vbar->maximum() / 2);
    view->viewport()->repaint();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < frames; ++i) {
        vbar->setValue(vbar->value() + vbar->pageStep() / 3 + 1);
        view->viewport()->repaint();
    }
    const double vFrame = msSince(t) / frames;
    const int cells = view->lastPaintedCells();
    row(size, "scroll down + repaint, per frame", vFrame,
        plainFrame(view->viewport()->size(), cells, frames), "ms", "<= 5 ms");
    QScrollBar *hbar = view->horizontalScrollBar();
    t.restart();
    for (int i = 0; i < frames; ++i) {
        hbar->setValue(i * 37 % qMax(1, hbar->maximum() + 1));
        view->viewport()->repaint();
    }
    const double hFrame = msSince(t) / frames;
    row(size, "scroll across + repaint, per frame", hFrame,
        plainFrame(view->viewport()->size(), view->lastPaintedCells(), frames), "ms", "<= 5 ms");
    memoryRows(size, "build", memory, fileMb);
    delete cube;
    kq::data::closeAllDatabases();
    return 0;
}

// One export of the debtor pivot (the state the pivot steps end in), in a
// process of its own: "html", "excel", or "small" (HTML of a small pivot).
int exports(int size, const QString &db, const QString &outDir, const QString &which)
{
    DCube *cube = newCube(db);
    if (!cube->rebuild())
        return 1;
    if (which == u"small") {
        cube->model()->ensureLayout();
        const QString html = outDir + QStringLiteral("/HtmlExportSmall.htm");
        QElapsedTimer t;
        t.start();
        cube->exportHtml(html, true, true, true, true);
        const double small = msSince(t);
        char label[96];
        std::snprintf(label, sizeof label, "HTML export, small pivot %dx%d", cube->rowCount(),
                      cube->columnCount());
        row(size, label, small, 0, "ms", "instant");
        return 0;
    }
    byCaption(*cube, "Inadimplemte")->setOrientation(OrientRow);
    CubeField *f = byCaption(*cube, "Inadimplemte");
    f->setSortType(SortRankDescending);
    f->setRankDataField(1);
    byCaption(*cube, "Situação")->dataItems()->item(0)->setIncluded(false);
    byCaption(*cube, "Trimestre Vencimento")->setOrientation(OrientColumn);
    cube->model()->ensureLayout();
    const bool html = which == u"html";
    const QString file
        = outDir + (html ? QStringLiteral("/HtmlExport.htm") : QStringLiteral("/ExcelExport.xls"));
    PeakRss peak;
    QElapsedTimer t;
    t.start();
    const bool ok = html ? cube->exportHtml(file, true, true, true, true)
                         : cube->exportExcel(file, true, true, true, true);
    const double seconds = msSince(t) / 1000;
    const double mb = peak.peak().total;
    const char *what = html ? "HTML export" : "Excel export";
    char label[96];
    std::snprintf(label, sizeof label, "%s %dx%d%s", what, cube->rowCount(), cube->columnCount(),
                  ok ? "" : " FAILED");
    row(size, label, seconds, html ? kOldHtmlSeconds : kOldExcelSeconds, "s", "<= 8 s");
    std::snprintf(label, sizeof label, "%s, peak memory (%lld MB file)", what,
                  QFileInfo(file).size() / (1024 * 1024));
    row(size, label, mb, html ? kOldHtmlMb : kOldExcelMb, "MB", "<= 400 MB");
    QFile::remove(file);
    delete cube;
    kq::data::closeAllDatabases();
    return 0;
}

// The server's GROUP BY of the same figures, every value read through the
// data layer's forward reader. Milliseconds.
double serverGroupBy(const QString &db, const QString &dims)
{
    const QString sql = QStringLiteral("SELECT %1, SUM(VL_CHEQUE), SUM(vl_atualizado) FROM (%2) "
                                       "AS s GROUP BY %1")
                            .arg(dims, kq::data::translateJet(QString::fromUtf8(kSource)));
    QElapsedTimer t;
    t.start();
    const auto rows = kq::data::RowStream::open(db, sql);
    const int n = int(rows->fieldNames().size());
    double sink = 0;
    while (rows->next()) {
        for (int i = 0; i < n; ++i) {
            if (rows->type(i) == kq::data::RowStream::Type::Text)
                sink += double(rows->bytes(i).size());
            else
                sink += rows->real(i);
        }
    }
    const double ms = msSince(t);
    return sink == -1 ? 0 : ms;
}

// A cube of the build's layout over db, built; its time in *ms.
DCube *timedBuild(const QString &db, double *ms)
{
    QElapsedTimer t;
    t.start();
    DCube *cube = newCube(db);
    if (!cube->rebuild()) {
        std::fprintf(stderr, "rebuild failed: %s\n", qPrintable(cube->model()->lastError()));
        std::exit(1);
    }
    *ms = msSince(t);
    return cube;
}

// Cells of two cubes of one layout whose values differ beyond the rounding
// of a sum taken in another row order (-1 when the grids differ in size); in
// *texts, the cells shown differently (a sum that falls on a half cent may
// round either way).
int differingCells(const DCube &a, const DCube &b, int *texts)
{
    *texts = 0;
    if (a.rowCount() != b.rowCount() || a.columnCount() != b.columnCount())
        return -1;
    int differ = 0;
    for (int r = 0; r < a.rowCount(); ++r) {
        for (int c = 0; c < a.columnCount(); ++c) {
            const double x = a.cellValue(r, c).toDouble();
            const double y = b.cellValue(r, c).toDouble();
            differ += std::abs(x - y) > 1e-9 * std::max(std::abs(x), 1.0);
            *texts += a.cellText(r, c) != b.cellText(r, c);
        }
    }
    return differ;
}

// The build on the server beside the build on SQLite over the same portfolio,
// interleaved, best of the rounds; then their cells compared.
int measureServer(int size, const QString &sqliteDb, const QString &serverDb, int rounds)
{
    double ms = 0;
    PeakRss::Figures memory;
    {
        // First, while the process holds nothing else: its memory.
        PeakRss peak;
        delete timedBuild(serverDb, &ms);
        memory = peak.peak();
    }
    groupBy(sqliteDb, kBuildDims); // warm SQLite's file into the system's cache
    double local = 1e300, server = 1e300, localBase = 1e300, base = 1e300;
    for (int r = 0; r < rounds; ++r) {
        localBase = std::min(localBase, groupBy(sqliteDb, kBuildDims));
        base = std::min(base, serverGroupBy(serverDb, kBuildDims));
        delete timedBuild(sqliteDb, &ms);
        local = std::min(local, ms);
        delete timedBuild(serverDb, &ms);
        server = std::min(server, ms);
    }
    row(size, "build on SQLite (vs. its GROUP BY)", local, localBase, "ms", "ratio <= 1.2");
    row(size, "build on the server (vs. on SQLite)", server, local, "ms", "reasonable");
    row(size, "build on the server (vs. its GROUP BY)", server, base, "ms", "");
    memoryRows(size, "server build", memory,
               double(QFileInfo(sqliteDb).size()) / (1024.0 * 1024.0));
    DCube *a = timedBuild(sqliteDb, &ms);
    DCube *b = timedBuild(serverDb, &ms);
    int texts = 0;
    const int differ = differingCells(*a, *b, &texts);
    std::printf("%9d  cells compared with SQLite's: %d x %d, %d values differ, %d texts differ "
                "(sums on a half cent)\n",
                size, a->rowCount(), a->columnCount(), differ, texts);
    delete a;
    delete b;
    kq::data::closeAllDatabases();
    return differ == 0 ? 0 : 1;
}

// A data folder whose business database, on a new database of the server
// named after the size, holds the rows of the SQLite portfolio.
QString copiedToServer(const kq::data::ServerSettings &server, const QString &sqliteDb,
                       const QString &folder, int size)
{
    kq::data::ServerSettings own = server;
    own.database = QStringLiteral("kq_bench_cube_%1").arg(size);
    kq::bench::serverAdmin(
        server, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(own.database));
    if (!kq::bench::serverAdmin(server, QStringLiteral("CREATE DATABASE %1").arg(own.database)))
        return QString();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString db = kq::data::dataFile(folder, kq::data::kDevolvidos);
    QFile::copy(sqliteDb, db);
    kq::data::writeServerSettings(folder, own);
    QElapsedTimer t;
    t.start();
    try {
        kq::data::copyToServer(folder);
    } catch (const kq::data::DataError &e) {
        std::fprintf(stderr, "copy to the server: %s\n", qPrintable(e.description()));
        return QString();
    }
    kq::data::closeAllDatabases();
    std::printf("(copied %d cheques to the server in %.1f s)\n", size, msSince(t) / 1000);
    std::fflush(stdout);
    return db;
}

int runChild(const QString &self, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(self, args);
    if (!p.waitForStarted() || !p.waitForFinished(-1))
        return 1;
    return p.exitCode();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const QString self = args.takeFirst();
    if (args.size() == 3 && args.at(0) == u"--generate") {
        generate(args.at(2), args.at(1).toInt());
        return 0;
    }
    if (args.size() == 4 && args.at(0) == u"--measure")
        return measure(args.at(1).toInt(), args.at(2), args.at(3).toInt());
    if (args.size() == 5 && args.at(0) == u"--export")
        return exports(args.at(1).toInt(), args.at(2), args.at(3), args.at(4));
    if (args.size() == 5 && args.at(0) == u"--measure-server")
        return measureServer(args.at(1).toInt(), args.at(2), args.at(3), args.at(4).toInt());

    QList<int> sizes = {10000, 100000, 1000000};
    int rounds = 3;
    QString keep;
    QString serverState;
    bool sizesGiven = false;
    bool exportsToo = true;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--no-1m")
            sizes.removeAll(1000000);
        else if (args.at(i) == u"--sizes" && i + 1 < args.size()) {
            sizes.clear();
            sizesGiven = true;
            for (const QString &s : args.at(++i).split(u',', Qt::SkipEmptyParts))
                if (s.toInt() > 0)
                    sizes << s.toInt();
        } else if (args.at(i) == u"--rounds" && i + 1 < args.size())
            rounds = qMax(1, args.at(++i).toInt());
        else if (args.at(i) == u"--keep" && i + 1 < args.size())
            keep = args.at(++i);
        else if (args.at(i) == u"--no-export")
            exportsToo = false;
        else if (args.at(i) == u"--server" && i + 1 < args.size())
            serverState = args.at(++i);
        else {
            std::fprintf(stderr, "usage: bench_cube [--no-1m] [--sizes N,N] [--rounds R] "
                                 "[--keep DIR] [--no-export] [--server STATE]\n");
            return 2;
        }
    }
    std::optional<kq::data::ServerSettings> server;
    if (!serverState.isEmpty()) {
        server = kq::bench::serverOfState(serverState);
        if (!server)
            return 1;
        if (!sizesGiven)
            sizes = {200000};
        exportsToo = false;
    }
    QTemporaryDir temp;
    const QString root = keep.isEmpty() ? temp.path() : keep;
    QDir().mkpath(root);
    auto portfolio = [&](int size) {
        const QString folder = root + QStringLiteral("/p%1").arg(size);
        const QString db = kq::data::dataFile(folder, kq::data::kDevolvidos);
        if (!QFileInfo::exists(db)) {
            QElapsedTimer t;
            t.start();
            if (runChild(self, {QStringLiteral("--generate"), QString::number(size), folder}))
                return QString();
            std::printf("(generated %d cheques in %.1f s)\n", size, msSince(t) / 1000);
            std::fflush(stdout);
        }
        return db;
    };
    std::printf("%9s  %-42s %13s %13s %7s  %s\n", "cheques", "Cube", "program", "baseline", "ratio",
                "target");
    std::fflush(stdout);
    for (int size : std::as_const(sizes)) {
        const QString db = portfolio(size);
        if (db.isEmpty())
            return 1;
        if (server) {
            const QString serverDb
                = copiedToServer(*server, db, root + QStringLiteral("/s%1").arg(size), size);
            const int rc
                = serverDb.isEmpty()
                      ? 1
                      : runChild(self, {QStringLiteral("--measure-server"), QString::number(size),
                                        db, serverDb, QString::number(rounds)});
            kq::bench::serverAdmin(*server,
                                   QStringLiteral("DROP DATABASE IF EXISTS kq_bench_cube_%1 "
                                                  "WITH (FORCE)")
                                       .arg(size));
            if (rc)
                return 1;
            continue;
        }
        if (runChild(self, {QStringLiteral("--measure"), QString::number(size), db,
                            QString::number(rounds)}))
            return 1;
    }
    if (exportsToo) {
        const QString db = portfolio(200000);
        for (const char *which : {"small", "html", "excel"}) {
            if (db.isEmpty()
                || runChild(self, {QStringLiteral("--export"), QString::number(200000), db, root,
                                   QString::fromLatin1(which)}))
                return 1;
        }
    }
    return 0;
}
