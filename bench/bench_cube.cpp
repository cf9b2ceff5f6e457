// Cube benchmark: the cheque cube over a generated portfolio (200,000
// cheques by default; pass another count as the first argument).
// Run with QT_QPA_PLATFORM=offscreen.

#include "data/database.h"
#include "data/datafolder.h"
#include "platform/cube/cubeview.h"
#include "platform/cube/dcube.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace kq::platform;

namespace {

const char *kSource =
    "SELECT DEVOLVIDOS.vl_atualizado, CLIENTES.NM_CLIENTE, CLIENTES.DS_ESTADO, "
    "CLIENTES.DS_CIDADE, DEVOLVIDOS.DT_DEPOSITO, DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, "
    "lojas.ds_loja, DESTINOS.DS_DESTINO, SITUACOES.DS_SITUACAO, documentos.DS_documento\r\n"
    "FROM (SITUACOES INNER JOIN ((DESTINOS INNER JOIN (CLIENTES INNER JOIN DEVOLVIDOS ON "
    "CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON DESTINOS.CD_DESTINO = "
    "DEVOLVIDOS.CD_DESTINO) INNER JOIN lojas ON DEVOLVIDOS.CD_LOJA = lojas.cd_loja) ON "
    "SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON "
    "DEVOLVIDOS.cd_documento = documentos.CD_documento\r\n";

void generate(const QString &db, int cheques)
{
    auto *rng = QRandomGenerator::global();
    kq::data::Transaction t(db);
    QSqlQuery q(kq::data::database(db));
    q.exec(QStringLiteral("INSERT INTO destinos VALUES ('002','JURÍDICO'),('003','LOJA')"));
    q.exec(QStringLiteral("INSERT INTO documentos VALUES ('02','DUPLICATA'),('03','NOTA')"));
    q.prepare(QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES (?, ?)"));
    for (int i = 1; i <= 40; ++i) {
        q.addBindValue(QStringLiteral("%1").arg(i, 3, 10, QChar(u'0')));
        q.addBindValue(QStringLiteral("LOJA %1").arg(i));
        q.exec();
    }
    const QStringList states = {"SP", "RJ", "MG", "PR", "SC", "RS", "BA", "GO", "PE", "CE"};
    const int debtors = qMax(1, cheques / 10);
    q.prepare(QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, DS_cidade, ds_estado)"
                             " VALUES (?, ?, ?, ?)"));
    for (int i = 1; i <= debtors; ++i) {
        q.addBindValue(QStringLiteral("%1").arg(i, 5, 10, QChar(u'0')));
        q.addBindValue(QStringLiteral("DEVEDOR %1").arg(i));
        q.addBindValue(QStringLiteral("CIDADE %1").arg(i % 300));
        q.addBindValue(states.at(i % states.size()));
        q.exec();
    }
    const QStringList situations = {"001", "002", "007"};
    q.prepare(QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA,"
                             " DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_BANCO,"
                             " CD_documento, vl_atualizado) VALUES (?,?,?,?,?,?,?,?,?,?)"));
    const QDate start(2019, 1, 1);
    for (int i = 1; i <= cheques; ++i) {
        const double value = 10 + rng->bounded(500000) / 100.0;
        q.addBindValue(QStringLiteral("%1").arg(i, 10, 10, QChar(u'0')));
        q.addBindValue(QStringLiteral("%1").arg(1 + rng->bounded(debtors), 5, 10, QChar(u'0')));
        q.addBindValue(QStringLiteral("%1").arg(1 + rng->bounded(40), 3, 10, QChar(u'0')));
        q.addBindValue(start.addDays(rng->bounded(6 * 365)).toString(Qt::ISODate));
        q.addBindValue(value);
        q.addBindValue(situations.at(rng->bounded(3)));
        q.addBindValue(QStringLiteral("00%1").arg(1 + rng->bounded(3)));
        q.addBindValue(QStringLiteral("%1").arg(1 + rng->bounded(30), 3, 10, QChar(u'0')));
        q.addBindValue(QStringLiteral("0%1").arg(1 + rng->bounded(3)));
        q.addBindValue(value * 1.1);
        q.exec();
    }
    t.commit();
}

void defineCube(DCube &cube, const QString &db)
{
    cube.setConnectType(1);
    cube.setConnect(QStringLiteral("Access"));
    cube.setDatabaseName(db);
    cube.setRecordSource(QString::fromUtf8(kSource));
    const char *dims[][2] = {
        {"NM_CLIENTE", "Inadimplemte"}, {"DS_ESTADO", "Estado"}, {"DS_CIDADE", "Cidade"},
        {"DT_DEPOSITO", "Vencimento"},
        {"datepart(\"m\",DEVOLVIDOS.DT_DEPOSITO)", "Mês Vencimento"},
        {"datepart(\"yyyy\",DEVOLVIDOS.DT_DEPOSITO)", "Ano Vencimento"},
        {"datepart(\"q\",DEVOLVIDOS.DT_DEPOSITO)", "Trimestre Vencimento"},
        {"CD_BANCO", "Banco"}, {"ds_loja", "Cliente"}, {"DS_SITUACAO", "Situação"},
        {"DS_DESTINO", "Destino"}};
    for (const auto &d : dims)
        cube.addField(QString::fromUtf8(d[0]), QString::fromUtf8(d[1]), OrientPage);
    CubeField *v = cube.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), OrientData);
    v->setName(QStringLiteral("sumVL_CHEQUE"));
    v->setNumberFormat(QStringLiteral("0.00"));
    CubeField *a = cube.addField(QStringLiteral("vl_atualizado"), QStringLiteral("Atualizado"),
                                 OrientData);
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
    return nullptr;
}

double ms(QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int cheques = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    kq::data::prepareDataFolder(dir.path());
    const QString db = kq::data::dataFile(dir.path(), kq::data::kDevolvidos);
    QElapsedTimer t;
    t.start();
    generate(db, cheques);
    std::printf("generate %d cheques: %.0f ms\n", cheques, ms(t));

    DCube cube;
    cube.resize(1280, 800);
    defineCube(cube, db);
    byCaption(cube, "Estado")->setOrientation(OrientRow);
    byCaption(cube, "Cliente")->setOrientation(OrientRow);
    byCaption(cube, "Ano Vencimento")->setOrientation(OrientColumn);
    t.restart();
    if (!cube.rebuild()) {
        std::printf("rebuild failed: %s\n", qPrintable(cube.model()->lastError()));
        return 1;
    }
    std::printf("build (source + 14 fields + layout): %.0f ms, %d source rows, grid %d x %d\n",
                ms(t), cube.model()->sourceRowCount(), cube.rowCount(), cube.columnCount());

    auto step = [&](const char *what, const std::function<void()> &change) {
        QElapsedTimer s;
        s.start();
        change();
        cube.model()->ensureLayout();
        std::printf("%-44s %7.0f ms, grid %d x %d\n", what, ms(s), cube.rowCount(),
                    cube.columnCount());
    };
    step("debtor field to the rows (20k members)", [&] {
        byCaption(cube, "Inadimplemte")->setOrientation(OrientRow);
    });
    step("rank debtors by Valor, descending", [&] {
        CubeField *f = byCaption(cube, "Inadimplemte");
        f->setSortType(SortRankDescending);
        f->setRankDataField(1);
    });
    step("filter out one situation (page field)", [&] {
        byCaption(cube, "Situação")->dataItems()->item(0)->setIncluded(false);
    });
    step("collapse the store field", [&] { byCaption(cube, "Cliente")->setExpanded(false); });
    step("month and quarter to the columns", [&] {
        byCaption(cube, "Trimestre Vencimento")->setOrientation(OrientColumn);
        byCaption(cube, "Mês Vencimento")->setOrientation(OrientColumn);
    });
    byCaption(cube, "Cliente")->setExpanded(true);
    byCaption(cube, "Mês Vencimento")->setOrientation(OrientPage);
    cube.model()->ensureLayout();

    cube.show();
    QCoreApplication::processEvents();
    CubeView *view = cube.view();
    QScrollBar *vbar = view->verticalScrollBar();
    const int frames = 200;
    t.restart();
    for (int i = 0; i < frames; ++i) {
        vbar->setValue(vbar->value() + vbar->pageStep() / 3 + 1);
        view->viewport()->repaint();
    }
    std::printf("scroll + repaint: %.2f ms per frame (%d rows, %d cells painted per frame)\n",
                ms(t) / frames, cube.rowCount(), view->lastPaintedCells());
    t.restart();
    for (int i = 0; i < frames; ++i) {
        QScrollBar *hbar = view->horizontalScrollBar();
        hbar->setValue(i * 7 % qMax(1, hbar->maximum()));
        view->viewport()->repaint();
    }
    std::printf("horizontal scroll + repaint: %.2f ms per frame\n", ms(t) / frames);
    t.restart();
    cube.refresh();
    std::printf("refresh (formats of the visible cells): %.2f ms\n", ms(t));

    const QString file = dir.filePath(QStringLiteral("cubo.cub"));
    t.restart();
    cube.setPassword(QStringLiteral("segredo"));
    const bool saved = cube.save(file, SaveWithData | SaveCompressed);
    std::printf("save with data, compressed, encrypted: %.0f ms (%s, %lld KB)\n", ms(t),
                saved ? "ok" : "failed", QFileInfo(file).size() / 1024);
    t.restart();
    const CubeLoadResult r = cube.load(file);
    std::printf("load it back: %.0f ms (%s)\n", ms(t), r.ok ? "ok" : qPrintable(r.description));
    t.restart();
    cube.exportHtml(dir.filePath(QStringLiteral("HtmlExport.htm")), true, true, true, true);
    std::printf("HTML export of %d x %d: %.0f ms\n", cube.rowCount(), cube.columnCount(), ms(t));
    kq::data::closeAllDatabases();
    return 0;
}
