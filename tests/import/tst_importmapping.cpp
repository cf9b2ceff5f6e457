#include "data/database.h"
#include "data/datafolder.h"
#include "import/importerror.h"
#include "import/mapping.h"
#include "support/memorysource.h"
#include "platform/progress.h"
#include "core/regional.h"
#include "support/base_data.h"
#include "support/base_dialogs.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using kq::import::DatabaseReport;
using kq::import::ImportOptions;
using kq::import::SourceRow;
using kq::import::SourceValue;
using kq::test::MemoryDatabase;

namespace {

// Every table and field of the four databases, as the office's files hold
// them; after the colon how each is typed in the old files: t text, d
// date, m money, n number, i whole number, b Yes/No.
struct DictionaryTable
{
    const char *database;
    const char *table;
    const char *fields;
};

const DictionaryTable kDictionary[] = {
    {"devolvidos.mdb", "usuarios", "CD_usuario:t usuario:t senha:t"},
    {"devolvidos.mdb", "parametros",
     "ds_empresa:t ds_endereco:t ds_bairro:t ds_cidade:t ds_estado:t cd_cep:t NR_TELEFONE:t "
     "ds_cabecalho:t ds_prazo:t ds_forma:t permiteacordo:t"},
    {"devolvidos.mdb", "destinos", "CD_destino:t DS_destino:t"},
    {"devolvidos.mdb", "domicilios", "CD_domicilio:t nm_domicilio:t"},
    {"devolvidos.mdb", "documentos", "CD_documento:t DS_documento:t"},
    {"devolvidos.mdb", "CLIENTES",
     "CD_cliente:t nm_cliente:t DS_endereco:t DS_bairro:t DS_cidade:t ds_estado:t "
     "nr_telefones:t nr_documento:t cd_cep:t ds_obs:t nr_contatos:i dt_ultimocontato:d "
     "cd_tipo:t"},
    {"devolvidos.mdb", "lojas",
     "CD_loja:t DS_loja:t nm_fantasia:t DS_endereco:t DS_complemento:t DS_cidade:t "
     "DS_bairro:t cd_uf:t nr_cep:t nr_telefone:t cd_cgc:t nr_inscricao:t DS_email:t cd_cor:t "
     "vl_jurospraticado:n vl_honorarios:n vl_multa:n nr_parcelasacordo:i vl_jurosacordo:n"},
    {"devolvidos.mdb", "situacoes", "CD_situacao:t DS_situacao:t CD_ACORDO:t"},
    {"devolvidos.mdb", "correcao", "cd_ref:t fator:n ano:t"},
    {"devolvidos.mdb", "DEVOLVIDOS",
     "CD_DEVOLVIDO:t CD_CLIENTE:t CD_LOJA:t DT_VANTESCA:d DT_DEPOSITO:d VL_CHEQUE:m "
     "CD_SITUACAO:t CD_DESTINO:t CD_BANCO:t CD_AGENCIA:t CD_CONTA:t NR_CHEQUE:t "
     "NM_EMITENTE:t NR_DOCUMENTO:t cd_ref:t CD_ALINEA:t CD_documento:t CD_chave:t "
     "vl_atualizado:m ref_atualizacao:t cd_acordo:t dt_pagamento:d"},
    {"devolvidos.mdb", "VANTESCA",
     "CD_CLIENTE:t CD_VANTESCA:t DT_VANTESCA:d DS_HISTORICO:t DS_ENVOLVIDO:t DS_COBRADOR:t"},
    {"devolvidos.mdb", "agenda",
     "cd_agenda:t dt_lancamento:d dt_marcada:d nm_envolvido:t nm_responsavel:t "
     "ds_historico:t cd_ref:t status:b"},
    {"devolvidos.mdb", "acordos",
     "cd_acordo:t dt_acordo:d cd_loja:t vl_aberto:m tx_juros:n vl_multa:m vl_honorarios:m "
     "vl_jurosacordo:n nr_parcelas:n vl_parcela:m vl_correcao:m CD_CLIENTE:t vl_financiado:m "
     "dt_1vencimento:d vl_juros:m cd_status:t vl_desconto:m"},
    {"devolvidos.mdb", "parcelas",
     "cd_acordo:t cd_parcela:t cd_loja:t vl_parcela:m dt_vencimento:d vl_honorarios:m "
     "CD_CLIENTE:t cd_status:t DT_BAIXA:d cd_refbaixa:t"},
    {"devolvidos.mdb", "status", "cd_status:t ds_status:t"},
    {"MENU.mdb", "CONFIG", "GRUPO:i OPCAO:i descricao:t ds_tootip:t opcoes:t"},
    {"help.mdb", "help", "cd_modulo:t ds_help:t"},
    {"tutorial.mdb", "filmes", "CD_SISTEMA:t DS_MODULO:t DS_LINK:t DS_SISTEMA:t cd_sequencial:i"},
};

// A stand-in for the program's password hash that shows what it was given.
QString fakeHash(const QString &password)
{
    return QStringLiteral("$hash$") + QString(password).replace(QLatin1Char('a'), QLatin1Char('*'));
}

ImportOptions options()
{
    ImportOptions o;
    o.hashPassword = fakeHash;
    return o;
}

DatabaseReport runImport(MemoryDatabase &source, const QString &fileName, const QString &path,
                         kq::platform::Progress *progress = nullptr)
{
    kq::import::ImportProgress rows(progress);
    return kq::import::importDatabase(source, fileName, path, options(), rows);
}

QString failure(MemoryDatabase &source, const QString &fileName, const QString &path)
{
    try {
        runImport(source, fileName, path);
    } catch (const kq::import::ImportError &e) {
        return e.message();
    }
    return QString();
}

// Every row of a table, field by field.
QList<QVariantMap> rowsOf(const QString &path, const QString &table)
{
    QSqlQuery q = kq::data::exec(path, QStringLiteral("SELECT * FROM %1").arg(table));
    QList<QVariantMap> rows;
    while (q.next()) {
        QVariantMap row;
        for (int i = 0; i < q.record().count(); ++i)
            row.insert(q.record().fieldName(i), q.value(i));
        rows << row;
    }
    return rows;
}

QString typeOf(const QString &path, const QString &table, const QString &field)
{
    return kq::data::scalar(path, QStringLiteral("SELECT typeof(%1) FROM %2").arg(field, table))
        .toString();
}

SourceValue valueFor(char kind, const QString &field)
{
    switch (kind) {
    case 'd':
        return SourceValue::dateTime(-363.75); // 01/01/1899 18:00
    case 'm':
        return SourceValue::currency(123456789); // 12.345,6789
    case 'n':
        return SourceValue::number(2.5);
    case 'i':
        return SourceValue::integer64(3);
    case 'b':
        return SourceValue::boolean(true);
    default:
        if (field.compare(QStringLiteral("CD_ACORDO"), Qt::CaseInsensitive) == 0)
            return SourceValue::string(QStringLiteral("1"));
        return SourceValue::string(QStringLiteral("Ação é %1").arg(field));
    }
}

QVariant storedFor(char kind, const QString &field)
{
    switch (kind) {
    case 'd':
        return QStringLiteral("1899-01-01");
    case 'm':
        return 12345.6789;
    case 'n':
        return 2.5;
    case 'i':
    case 'b':
        return qlonglong(kind == 'i' ? 3 : 1);
    default:
        if (field == QStringLiteral("senha"))
            return fakeHash(QStringLiteral("Ação é senha"));
        return valueFor(kind, field).text;
    }
}

// One table of the old file whose key fields are filled, plus one field.
struct OneField
{
    QString table;
    QStringList keys;
    QStringList keyValues;
};

OneField keyed(const QString &table)
{
    static const QHash<QString, OneField> known{
        {"DEVOLVIDOS", {"DEVOLVIDOS", {"CD_DEVOLVIDO"}, {"0000000001"}}},
        {"CLIENTES", {"CLIENTES", {"CD_cliente"}, {"00001"}}},
        {"lojas", {"lojas", {"CD_loja"}, {"001"}}},
        {"agenda", {"agenda", {"cd_agenda"}, {"0000000001"}}},
        {"situacoes", {"situacoes", {"CD_situacao"}, {"001"}}},
        {"parametros", {"parametros", {}, {}}},
        {"correcao", {"correcao", {"cd_ref"}, {"2024/01"}}},
    };
    return known.value(table);
}

} // namespace

Q_DECLARE_METATYPE(SourceValue)

// The mapping of old tables onto the program's databases, over tables held
// in memory.
class tst_importmapping : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    QString newPath() { return m_dir.filePath(QStringLiteral("novo%1.mdb").arg(++m_files)); }

private slots:
    // The program reads numbers and dates in Brazilian form, as it does from its start.
    void initTestCase() { QLocale::setDefault(kq::platform::brazilianLocale()); }
    void cleanup() { kq::data::closeAllDatabases(); }

    // Every table and field, named in another case, arrives with its value.
    void everyTableAndFieldArrives()
    {
        QHash<QString, std::shared_ptr<MemoryDatabase>> sources;
        for (const DictionaryTable &t : kDictionary) {
            auto &source = sources[QString::fromUtf8(t.database)];
            if (!source)
                source = std::make_shared<MemoryDatabase>();
            QStringList columns;
            SourceRow row;
            for (const QString &f : QString::fromUtf8(t.fields).split(QLatin1Char(' '))) {
                const QString name = f.section(QLatin1Char(':'), 0, 0);
                columns << name.toUpper();
                row << valueFor(f.section(QLatin1Char(':'), 1).at(0).toLatin1(), name);
            }
            source->add(QString::fromUtf8(t.table).toUpper(), columns).rows << row;
        }
        for (auto it = sources.begin(); it != sources.end(); ++it) {
            const QString path = newPath();
            const DatabaseReport report = runImport(*it.value(), it.key(), path);
            QCOMPARE(report.fileName, it.key());
            QVERIFY2(report.missingTables.isEmpty(), qPrintable(report.missingTables.join(' ')));
            QVERIFY2(report.missingColumns.isEmpty(), qPrintable(report.missingColumns.join(' ')));
            QVERIFY(report.extraTables.isEmpty());
            QVERIFY(report.extraColumns.isEmpty());
            for (const DictionaryTable &t : kDictionary) {
                if (QString::fromUtf8(t.database) != it.key())
                    continue;
                const QString table = QString::fromUtf8(t.table);
                QVERIFY(std::any_of(report.tables.begin(), report.tables.end(), [&](const auto &c) {
                    return c.table == table && c.rows == 1;
                }));
                const QList<QVariantMap> rows = rowsOf(path, table);
                QCOMPARE(rows.size(), 1);
                const QStringList fields = QString::fromUtf8(t.fields).split(QLatin1Char(' '));
                QCOMPARE(rows[0].size(), fields.size());
                for (const QString &f : fields) {
                    const QString name = f.section(QLatin1Char(':'), 0, 0);
                    const char kind = f.section(QLatin1Char(':'), 1).at(0).toLatin1();
                    QVERIFY2(rows[0].contains(name), qPrintable(table + '.' + name));
                    const QVariant expected = storedFor(kind, name);
                    const QVariant stored = rows[0].value(name);
                    if (expected.typeId() == QMetaType::Double)
                        QCOMPARE(stored.toDouble(), expected.toDouble());
                    else
                        QCOMPARE(stored.toString(), expected.toString());
                }
            }
        }
    }

    // One value of the old file and what the program stores, or why it stops.
    void convertsEachValue_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<SourceValue>("value");
        QTest::addColumn<QString>("type"); // SQLite's type of the stored value
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("refused"); // part of the message when it stops

        const auto row = [](const char *name, const char *table, const char *field,
                            const SourceValue &v, const char *type, const QVariant &stored) {
            QTest::newRow(name) << table << field << v << type << stored << QString();
        };
        const auto stop = [](const char *name, const char *table, const char *field,
                             const SourceValue &v, const char *why) {
            QTest::newRow(name) << table << field << v << "" << QVariant() << why;
        };
        // Money: the exact value of the stored cents, not a sum of floats.
        row("cents", "DEVOLVIDOS", "VL_CHEQUE", SourceValue::currency(12345678900), "real",
            1234567.89);
        row("thirty cents", "DEVOLVIDOS", "VL_CHEQUE", SourceValue::currency(3000), "real", 0.3);
        row("negative money", "DEVOLVIDOS", "vl_atualizado", SourceValue::currency(-12345), "real",
            -1.2345);
        row("money as text", "DEVOLVIDOS", "VL_CHEQUE", SourceValue::string("1.234,56"), "real",
            1234.56);
        stop("text that is no number", "DEVOLVIDOS", "VL_CHEQUE", SourceValue::string("doze"),
             "campo VL_CHEQUE): o texto \"doze\" não é um número");
        // Dates: the day of the stored value, in or out of 1900-2099.
        row("date before 1900", "DEVOLVIDOS", "DT_DEPOSITO", SourceValue::dateTime(-363), "text",
            "1899-01-01");
        row("date with a time", "DEVOLVIDOS", "DT_DEPOSITO", SourceValue::dateTime(44532.75),
            "text", "2021-12-02");
        row("date in year 9999", "DEVOLVIDOS", "dt_pagamento", SourceValue::dateTime(2958101),
            "text", "9999-01-01");
        row("date typed as text", "CLIENTES", "dt_ultimocontato", SourceValue::string("05/03/2024"),
            "text", "2024-03-05");
        row("empty text in a date", "CLIENTES", "dt_ultimocontato", SourceValue::string(" "),
            "null", QVariant());
        stop("date out of range", "DEVOLVIDOS", "DT_DEPOSITO", SourceValue::dateTime(1e10),
             "campo DT_DEPOSITO): a data guardada (10000000000) não é uma data válida");
        stop("date that is no number", "DEVOLVIDOS", "DT_DEPOSITO",
             SourceValue::dateTime(std::numeric_limits<double>::quiet_NaN()),
             "campo DT_DEPOSITO): a data guardada (nan) não é uma data válida");
        stop("text that is no date", "DEVOLVIDOS", "DT_DEPOSITO", SourceValue::string("31/02/2024"),
             "não é uma data");
        stop("a number in a date", "DEVOLVIDOS", "DT_DEPOSITO", SourceValue::integer64(45000),
             "um número não é uma data");
        // Yes/No: 0 and 1, whatever the old file stored.
        row("yes", "agenda", "status", SourceValue::boolean(true), "integer", 1LL);
        row("no", "agenda", "status", SourceValue::boolean(false), "integer", 0LL);
        row("Jet's true as a number", "agenda", "status", SourceValue::integer64(-1), "integer",
            1LL);
        row("Sim as text", "agenda", "status", SourceValue::string("Sim"), "integer", 1LL);
        row("no value is no", "agenda", "status", SourceValue::null(), "integer", 0LL);
        stop("text that is no yes/no", "agenda", "status", SourceValue::string("talvez"),
             "não é Sim nem Não");
        row("yes/no in a text flag", "situacoes", "CD_ACORDO", SourceValue::boolean(true), "text",
            "1");
        row("number in a text flag", "situacoes", "CD_ACORDO", SourceValue::integer64(0), "text",
            "0");
        // Numbers and texts.
        row("whole number from a double", "CLIENTES", "nr_contatos", SourceValue::number(4.0),
            "integer", 4LL);
        stop("fraction in a count", "CLIENTES", "nr_contatos", SourceValue::number(2.5),
             "o valor 2,5 não é um número inteiro");
        row("no count is zero", "CLIENTES", "nr_contatos", SourceValue::null(), "integer", 0LL);
        row("accents and line breaks", "CLIENTES", "nm_cliente",
            SourceValue::string("JOSÉ DA CONCEIÇÃO\r\nÁVILA"), "text",
            "JOSÉ DA CONCEIÇÃO\r\nÁVILA");
        row("no value stays empty", "CLIENTES", "nm_cliente", SourceValue::null(), "null",
            QVariant());
        row("no value in a field that needs text", "parametros", "ds_empresa", SourceValue::null(),
            "text", "");
        row("a number in a text field", "CLIENTES", "cd_cep", SourceValue::integer64(1310100),
            "text", "1310100");
        stop("binary data", "CLIENTES", "ds_obs", SourceValue::binary("\x01\x02"),
             "dados binários");
    }
    void convertsEachValue()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(SourceValue, value);
        QFETCH(QString, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, refused);
        const OneField shape = keyed(table);
        MemoryDatabase source(QStringLiteral("DEVOLVIDOS.MDB"));
        SourceRow row;
        for (const QString &k : shape.keyValues)
            row << SourceValue::string(k);
        row << value;
        source.add(table, shape.keys + QStringList{field}).rows << row;
        const QString path = newPath();
        if (!refused.isEmpty()) {
            const QString message = failure(source, kq::data::kDevolvidos, path);
            QVERIFY2(message.contains(refused), qPrintable(message));
            QVERIFY2(message.contains(
                         QStringLiteral("DEVOLVIDOS.MDB (tabela %1, registro 1").arg(table)),
                     qPrintable(message));
            QVERIFY(!QFile::exists(path));
            return;
        }
        runImport(source, kq::data::kDevolvidos, path);
        QCOMPARE(typeOf(path, table, field), type);
        const QVariant got
            = kq::data::scalar(path, QStringLiteral("SELECT %1 FROM %2").arg(field, table));
        if (stored.typeId() == QMetaType::Double)
            QCOMPARE(got.toDouble(), stored.toDouble());
        else if (stored.isValid())
            QCOMPARE(got.toString(), stored.toString());
        else
            QVERIFY(got.isNull());
    }

    // Old tables and fields the program does not know are left out and
    // listed; the program's own that the file lacks are made empty and listed.
    void extraAndMissingAreListed()
    {
        MemoryDatabase source;
        source.add("Devolvidos", {"cd_devolvido", "vl_cheque", "OBS_ANTIGA"}).rows
            << SourceRow{SourceValue::string("0000000001"), SourceValue::currency(100000),
                         SourceValue::string("nota")};
        source.add("usuarios", {"CD_usuario", "usuario", "senha"});
        source.add("Rascunho", {"x"}).rows << SourceRow{SourceValue::integer64(1)};
        const QString path = newPath();
        const DatabaseReport report = runImport(source, kq::data::kDevolvidos, path);

        QCOMPARE(report.extraTables, QStringList{"Rascunho"});
        QCOMPARE(report.extraColumns, QStringList{"DEVOLVIDOS.OBS_ANTIGA"});
        QVERIFY(report.missingTables.contains("agenda"));
        QVERIFY(report.missingTables.contains("parametros"));
        QVERIFY(!report.missingTables.contains("usuarios"));
        QVERIFY(!report.missingTables.contains("DEVOLVIDOS"));
        QVERIFY(report.missingColumns.contains("DEVOLVIDOS.DT_DEPOSITO"));
        QVERIFY(!report.missingColumns.contains("DEVOLVIDOS.VL_CHEQUE"));
        // The empty table is imported with its count; the missing ones are
        // made and stay empty, without the rows a new data folder gets.
        QCOMPARE(report.tables.size(), 2);
        QCOMPARE(report.tables[0].table, QStringLiteral("usuarios"));
        QCOMPARE(report.tables[0].rows, 0);
        QCOMPARE(report.tables[1].table, QStringLiteral("DEVOLVIDOS"));
        QCOMPARE(report.tables[1].rows, 1);
        QCOMPARE(kq::test::rowCount(path, "agenda"), 0);
        QCOMPARE(kq::test::rowCount(path, "situacoes"), 0);
        QCOMPARE(kq::data::scalar(path, "SELECT VL_CHEQUE FROM DEVOLVIDOS").toDouble(), 10.0);
        QVERIFY(kq::data::scalar(path, "SELECT DT_DEPOSITO FROM DEVOLVIDOS").isNull());
    }

    void duplicateKeyStopsNamingTheRow()
    {
        MemoryDatabase source(QStringLiteral("devolvidos.mdb"));
        auto &cheques = source.add("DEVOLVIDOS", {"CD_DEVOLVIDO", "NM_EMITENTE"});
        cheques.rows << SourceRow{SourceValue::string("0000000001"), SourceValue::string("Ana")}
                     << SourceRow{SourceValue::string("0000000002"), SourceValue::string("Bia")}
                     << SourceRow{SourceValue::string("0000000001"), SourceValue::string("Cid")};
        const QString path = newPath();
        const QString message = failure(source, kq::data::kDevolvidos, path);
        QVERIFY2(message.contains("devolvidos.mdb (tabela DEVOLVIDOS, registro 3)"),
                 qPrintable(message));
        QVERIFY2(message.contains("chave repetida (CD_DEVOLVIDO = 0000000001)"),
                 qPrintable(message));
        QVERIFY(!QFile::exists(path));
    }

    // Rows are read ahead of the writing: whichever side finds it, the first
    // row that cannot be taken is the one reported, and nothing hangs.
    void firstFailingRowIsReported_data()
    {
        QTest::addColumn<int>("badDate");     // row with a date that is no date (0: none)
        QTest::addColumn<int>("repeatedKey"); // row that repeats the key of row 1 (0: none)
        QTest::addColumn<QString>("said");
        QTest::newRow("repeated key, far ahead of the reading") << 0 << 9000 << "registro 9000)";
        QTest::newRow("bad date in the first batch") << 3 << 0 << "registro 3, campo DT_DEPOSITO";
        QTest::newRow("bad date before a repeated key")
            << 6000 << 9000 << "registro 6000, campo DT_DEPOSITO";
        QTest::newRow("repeated key before a bad date") << 9500 << 7000 << "registro 7000)";
    }
    void firstFailingRowIsReported()
    {
        QFETCH(int, badDate);
        QFETCH(int, repeatedKey);
        QFETCH(QString, said);
        MemoryDatabase source;
        auto &cheques = source.add("DEVOLVIDOS", {"CD_DEVOLVIDO", "DT_DEPOSITO"});
        for (int i = 1; i <= 12000; ++i)
            cheques.rows << SourceRow{
                SourceValue::string(
                    QString::number(i == repeatedKey ? 1 : i).rightJustified(10, '0')),
                SourceValue::dateTime(i == badDate ? 1e12 : 45000)};
        const QString path = newPath();
        const QString message = failure(source, kq::data::kDevolvidos, path);
        QVERIFY2(message.contains(said), qPrintable(message));
        QVERIFY(!QFile::exists(path));
    }

    void missingKeyStopsNamingTheField()
    {
        MemoryDatabase source;
        source.add("lojas", {"CD_loja", "DS_loja"}).rows
            << SourceRow{SourceValue::null(), SourceValue::string("Loja")};
        const QString message = failure(source, kq::data::kDevolvidos, newPath());
        QVERIFY2(message.contains("tabela lojas, registro 1"), qPrintable(message));
        QVERIFY2(message.contains("campo obrigatório vazio (CD_loja)"), qPrintable(message));
    }

    // A second row of parametros is refused by the one-row rule, with its row.
    void ruleOfTheTableStopsNamingTheRow()
    {
        MemoryDatabase source;
        source.add("parametros", {"ds_empresa"}).rows << SourceRow{SourceValue::string("A")}
                                                      << SourceRow{SourceValue::string("B")};
        const QString message = failure(source, kq::data::kDevolvidos, newPath());
        QVERIFY2(message.contains("tabela parametros, registro 2"), qPrintable(message));
        QVERIFY2(message.contains("único registro"), qPrintable(message));
    }

    // Passwords are hashed as they are written, never kept as typed, and no
    // message shows them.
    void passwordsAreHashed()
    {
        MemoryDatabase source;
        auto &users = source.add("usuarios", {"CD_usuario", "usuario", "senha"});
        users.rows << SourceRow{SourceValue::string("001"), SourceValue::string("Supervisor"),
                                SourceValue::string("a b")}
                   << SourceRow{SourceValue::string("002"), SourceValue::string("Ana"),
                                SourceValue::null()};
        const QString path = newPath();
        runImport(source, kq::data::kDevolvidos, path);
        QCOMPARE(kq::data::scalar(path, "SELECT senha FROM usuarios WHERE CD_usuario = '001'")
                     .toString(),
                 QStringLiteral("$hash$* b"));
        QVERIFY(
            kq::data::scalar(path, "SELECT senha FROM usuarios WHERE CD_usuario = '002'").isNull());
        QCOMPARE(
            kq::data::scalar(path, "SELECT count(*) FROM usuarios WHERE senha = 'a b'").toInt(), 0);

        users.rows << SourceRow{SourceValue::string("001"), SourceValue::string("Outro"),
                                SourceValue::string("segredo-123")};
        const QString message = failure(source, kq::data::kDevolvidos, newPath());
        QVERIFY2(message.contains("registro 3"), qPrintable(message));
        QVERIFY(!message.contains("segredo-123"));
        QVERIFY(!message.contains("$hash$"));
    }

    void passwordThatIsNoTextIsNotShown()
    {
        MemoryDatabase source;
        source.add("usuarios", {"CD_usuario", "senha"}).rows
            << SourceRow{SourceValue::string("001"), SourceValue::binary("segredo")};
        const QString message = failure(source, kq::data::kDevolvidos, newPath());
        QVERIFY2(message.contains("campo senha"), qPrintable(message));
        QVERIFY(!message.contains("segredo"));
    }

    void cancelLeavesNoFile()
    {
        MemoryDatabase source;
        auto &cheques = source.add("DEVOLVIDOS", {"CD_DEVOLVIDO"});
        // More rows than the reading keeps ready ahead of the writing.
        for (int i = 1; i <= 20000; ++i)
            cheques.rows << SourceRow{
                SourceValue::string(QString::number(i).rightJustified(10, '0'))};
        // The user cancels once the first rows are read.
        kq::test::ScriptedDialogs dialogs;
        dialogs.cancelProgressAt = 1;
        kq::platform::Progress progress(QString(), 0);
        const QString path = newPath();
        QVERIFY_THROWS_EXCEPTION(kq::import::ImportCancelled,
                                 runImport(source, kq::data::kDevolvidos, path, &progress));
        QCOMPARE(dialogs.progressLabels, QStringList{QString()});
        QVERIFY(!QFile::exists(path));
    }

    void anExistingFileIsNeverWritten()
    {
        MemoryDatabase source;
        const QString path = newPath();
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.close();
        const QString message = failure(source, kq::data::kDevolvidos, path);
        QVERIFY2(message.contains("já existe"), qPrintable(message));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(tst_importmapping)
#include "tst_importmapping.moc"
