// Record sources in Jet SQL, damaged in every way the mutation engine knows,
// through the translation and the recordset over a real data folder: each
// runs (its rows read, a record written back unchanged) or is refused with
// DataError, never another exception, a crash or a sanitizer report. The
// collation and the datepart() of the connection meet the damaged literals.
#include "data/database.h"
#include "data/dataerror.h"
#include "data/jetsql.h"
#include "data/recordset.h"
#include "fuzz/fuzzengine.h"
#include "support/base_data.h"

#include <QtTest>

using kq::data::DataError;
using kq::data::Recordset;

class tst_fuzzjetsql : public QObject
{
    Q_OBJECT

private:
    kq::test::TempDataFolder m_data;

    QString check(const QByteArray &input);

private slots:
    void initTestCase();
    void recordSources();
};

// Few rows, so that a join repeated by a mutation stays small.
void tst_fuzzjetsql::initTestCase()
{
    const QString db = m_data.devolvidos();
    kq::data::exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_documento) "
                                      "VALUES ('00001', 'Ávila', '1*2'), ('00002', 'élio', NULL)"));
    kq::data::exec(db,
                   QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'AZUL')"));
    kq::data::exec(db, QStringLiteral("INSERT INTO acordos (cd_acordo, cd_loja, CD_CLIENTE, "
                                      "dt_acordo) VALUES ('00001', '001', '00001', '2026-03-02')"));
    kq::data::exec(db, QStringLiteral("INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, "
                                      "CD_CLIENTE, dt_vencimento, cd_status) VALUES "
                                      "('00001', '01', '001', '00001', '2026-03-10', 'A')"));
    kq::test::addCheques(db, 3);
}

QString tst_fuzzjetsql::check(const QByteArray &input)
{
    const QString source = QString::fromUtf8(input);
    const QString db = m_data.devolvidos();
    kq::data::translateJet(source);
    // Whatever the source does is undone.
    kq::data::Transaction undo(db);
    try {
        Recordset rs(db, source);
        rs.refresh();
        const QStringList names = rs.fieldNames();
        for (int row = 0; row < rs.recordCount(); ++row)
            for (int col = 0; col < rs.fieldCount(); ++col)
                rs.valueAt(row, col);
        rs.baseTable();
        if (rs.eof() || names.isEmpty())
            return QString();
        rs.moveLast();
        const QVariant last = rs.field(names.first());
        rs.edit();
        rs.setField(names.first(), last);
        rs.update();
        rs.findFirst(names.last(), last);
    } catch (const DataError &e) {
        if (e.description().isEmpty())
            return QStringLiteral("refused without a reason");
    } catch (const std::exception &e) {
        return QStringLiteral("exception: ") + QString::fromUtf8(e.what());
    }
    return QString();
}

void tst_fuzzjetsql::recordSources()
{
    const kq::fuzz::Mutator mutator(kq::fuzz::readCorpus(QStringLiteral("jetsql")),
                                    {"#",
                                     "#2026/02/29#",
                                     "#12/31/1999 23:59:59#",
                                     "#0/0/0#",
                                     "*",
                                     "?",
                                     "[",
                                     "]",
                                     "[*]",
                                     "LIKE",
                                     " like '",
                                     "datepart(",
                                     "datepart(\"q\",",
                                     "datepart('ww',",
                                     "\"yyyy\"",
                                     "(",
                                     ")",
                                     "((",
                                     "INNER JOIN",
                                     " AS ",
                                     "SELECT",
                                     " FROM ",
                                     "WHERE",
                                     "ORDER BY",
                                     "GROUP BY",
                                     "DISTINCT",
                                     "UNION",
                                     ",",
                                     ".",
                                     "'",
                                     "''",
                                     "\"",
                                     "DEVOLVIDOS.",
                                     "CLIENTES.",
                                     "lojas",
                                     "NM_CLIENTE",
                                     "DT_DEPOSITO",
                                     "NULL",
                                     "ESCAPE '\\'"});
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        QStringLiteral("jetsql"), mutator, [this](const QByteArray &in) { return check(in); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

QTEST_GUILESS_MAIN(tst_fuzzjetsql)
#include "tst_fuzzjetsql.moc"
