// Layout files of the grid ("*.lyt"), damaged in every way the mutation
// engine knows: a refused file throws GridError and leaves the grid as it
// was; a file taken gives a grid whose own layout reads back the same.
#include "data/database.h"
#include "fuzz/fuzzengine.h"
#include "support/gridtestdb.h"
#include "platform/grid/gridex.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using kq::platform::GridError;
using kq::platform::GridEX;

class tst_fuzzgridlayout : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    GridEX *m_grid = nullptr;
    QString m_reference;
    int m_taken = 0;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    // What the grid is: its columns, groups and the text of every cell.
    QByteArray state() const;
    QString check(const QByteArray &input);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void layoutFiles();
};

void tst_fuzzgridlayout::initTestCase()
{
    const QString db = path("devolvidos.mdb");
    gridtest::createCheques(db);
    m_grid = new GridEX;
    m_grid->setObjectName(QStringLiteral("GridEX1"));
    m_grid->addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Emitente"), 150);
    m_grid->addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("Chave")).setVisible(false);
    m_grid->addColumn(QStringLiteral("ds_loja"), QStringLiteral("Loja"), 120);
    kq::platform::GridColumn &valor
        = m_grid->addColumn(QStringLiteral("vl_cheque"), QStringLiteral("Valor"));
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(kq::platform::Aggregate::Sum);
    m_grid->addColumn(QStringLiteral("dt_deposito"), QStringLiteral("Depósito"), 90)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    m_grid->addColumn(QStringLiteral("cd_situacao"), QStringLiteral("Situação"), 80);
    m_grid->addColumn(QStringLiteral("ds_historico"), QStringLiteral("Histórico"))
        .setVisible(false);
    m_grid->setPreviewField(QStringLiteral("ds_historico"), 2);
    m_grid->setDatabaseName(db);
    m_grid->setRecordSource(QStringLiteral("SELECT * FROM cheques"));
    m_grid->rebind();
    m_grid->refresh();
    m_grid->groupBy(3);
    m_reference = path("referencia.lyt");
    m_grid->saveLayout(m_reference);
}

void tst_fuzzgridlayout::cleanupTestCase()
{
    delete m_grid;
    kq::data::closeAllDatabases();
}

QByteArray tst_fuzzgridlayout::state() const
{
    QByteArray out = m_grid->groupByBoxVisible() ? "box" : "";
    for (int c : m_grid->groupColumns())
        out += ' ' + QByteArray::number(c);
    for (int c = 1; c <= m_grid->columnCount(); ++c) {
        const kq::platform::GridColumn &col = m_grid->column(c);
        out += QStringLiteral("\n%1 %2 %3 %4 ")
                   .arg(col.position())
                   .arg(col.isVisible())
                   .arg(col.width())
                   .arg(col.caption())
                   .toUtf8();
    }
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        out += '\n' + QByteArray::number(int(m_grid->rowType(r)));
        for (int c = 1; c <= m_grid->columnCount(); ++c)
            out += '|' + m_grid->textAt(r, c).toUtf8();
    }
    return out;
}

QString tst_fuzzgridlayout::check(const QByteArray &input)
{
    const QString file = path("entrada.lyt");
    if (!kq::fuzz::writeFile(file, input))
        return QStringLiteral("could not write the input");
    const QByteArray before = state();
    try {
        m_grid->loadLayout(file);
    } catch (const GridError &e) {
        if (e.description().isEmpty())
            return QStringLiteral("refused without a reason");
        return state() == before ? QString() : QStringLiteral("a refused layout changed the grid");
    } catch (const std::exception &e) {
        return QStringLiteral("exception: ") + QString::fromUtf8(e.what());
    }
    try {
        const QByteArray taken = state();
        m_grid->saveLayout(path("copia.lyt"));
        m_grid->loadLayout(path("copia.lyt"));
        if (state() != taken)
            return QStringLiteral("the grid's own layout reads back different");
        // Drawing is the slow part: every eighth layout taken.
        if (m_taken++ % 8 == 0 && m_grid->grab().isNull())
            return QStringLiteral("the grid does not draw");
        m_grid->loadLayout(m_reference);
    } catch (const std::exception &e) {
        return QStringLiteral("after a layout was taken: ") + QString::fromUtf8(e.what());
    }
    return QString();
}

void tst_fuzzgridlayout::layoutFiles()
{
    QList<QByteArray> seeds = kq::fuzz::readCorpus(QStringLiteral("gridlayout"));
    QFile reference(m_reference);
    QVERIFY(reference.open(QIODevice::ReadOnly));
    seeds << reference.readAll();
    const kq::fuzz::Mutator mutator(seeds,
                                    {"{",
                                     "}",
                                     "[",
                                     "]",
                                     ":",
                                     ",",
                                     "null",
                                     "true",
                                     "false",
                                     "\"format\"",
                                     "\"version\"",
                                     "\"columns\"",
                                     "\"groups\"",
                                     "\"sort\"",
                                     "\"key\"",
                                     "\"caption\"",
                                     "\"visible\"",
                                     "\"position\"",
                                     "\"width\"",
                                     "\"order\"",
                                     "\"descending\"",
                                     "\"groupByBox\"",
                                     "\"nm_emitente\"",
                                     "\"ds_loja\"",
                                     "\"vl_cheque\"",
                                     "\"ds_historico\""},
                                    kq::fuzz::Mutator::Shape::Json);
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        QStringLiteral("gridlayout"), mutator, [this](const QByteArray &in) { return check(in); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

QTEST_MAIN(tst_fuzzgridlayout)
#include "tst_fuzzgridlayout.moc"
