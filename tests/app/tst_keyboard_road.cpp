// A collector's day with the keyboard alone: every step below is key clicks
// sent to whatever has the focus, never a mouse event nor a call on a
// control; the database is checked after each step. Only the switch back to
// the main window stands for the window manager (what Alt+Tab does).
#include "collection/screens.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "core/format.h"
#include "platform/screenregistry.h"
#include "registers/screens.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/rules/passwords.h"
#include "shell/startup.h"
#include "support/base_dialogs.h"
#include "support/base_folders.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QTest>
#include <QTimer>

using kq::data::scalar;
using kq::platform::ScreenRegistry;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

// Names the focused control for failure messages.
QByteArray focusName()
{
    QWidget *w = focused();
    if (!w)
        return "nothing";
    QWidget *named = w;
    while (named && named->objectName().isEmpty())
        named = named->parentWidget();
    return (named ? named->objectName() : QStringLiteral("?")).toUtf8() + " ("
           + w->metaObject()->className() + ") in " + w->window()->objectName().toUtf8();
}

// One key, as a typist presses it, to the control that has the focus; the
// program then settles before the next key.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
{
    for (int i = 0; i < times; ++i) {
        QWidget *w = focused();
        QVERIFY2(w, "no control has the focus");
        QTest::keyClick(w, key, modifiers);
        QTest::qWait(0);
    }
}

void type(const QString &text)
{
    QWidget *w = focused();
    QVERIFY2(w, "no control has the focus");
    QTest::keyClicks(w, text);
    QTest::qWait(0);
}

// The focus is on the control of that name (in a window of that name).
bool focusIs(const char *window, const char *control)
{
    QWidget *w = focused();
    if (!w || w->window()->objectName() != QLatin1String(window))
        return false;
    for (QWidget *p = w; p && p != w->window(); p = p->parentWidget())
        if (p->objectName() == QLatin1String(control))
            return true;
    return false;
}

#define QVERIFY_FOCUS(window, control) \
    QVERIFY2(QTest::qWaitFor([] { return focusIs(window, control); }, 2000), \
             "focus on " + focusName() + ", not " control)

QString digits(const QDate &d)
{
    return d.toString(QStringLiteral("ddMMyyyy"));
}

} // namespace

class tst_keyboard_road : public QObject
{
    Q_OBJECT

private:
    kq::test::TempFolders *m_folders = nullptr;
    kq::test::ScriptedDialogs *m_dialogs = nullptr;
    QString m_db;
    const QDate m_today = QDate::currentDate();

    int count(const char *sql) const { return scalar(m_db, QString::fromLatin1(sql)).toInt(); }
    QString text(const char *sql) const
    {
        return scalar(m_db, QString::fromLatin1(sql)).toString();
    }
    // The window manager gives the focus back to the main window.
    void backToMain()
    {
        QWidget *main = kq::shell::mainWindow();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
    }
    QWidget *waitFor(const char *screen)
    {
        QWidget *w = nullptr;
        const bool active = QTest::qWaitFor(
            [&] {
                w = ScreenRegistry::instance().find(QString::fromLatin1(screen));
                return w && w->isActiveWindow();
            },
            3000);
        return active ? w : nullptr;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        kq::test::registerAllScreens();
        kq::registers::registerScreens();
        kq::collection::registerScreens();
    }

    void init()
    {
        m_folders = new kq::test::TempFolders;
        m_dialogs = new kq::test::ScriptedDialogs;
        kq::data::prepareDataFolder(m_folders->dataFolder());
        m_folders->writeSysIni();
        m_db = m_folders->dataFile(kq::data::kDevolvidos);
        kq::data::exec(m_db,
                       QStringLiteral("INSERT INTO usuarios (CD_usuario, usuario, senha) "
                                      "VALUES ('001', 'ANA', ?)"),
                       {kq::shell::hashPassword(QStringLiteral("senha1"))});
        // The office's one store, and the correction factors of the months.
        kq::test::addStore(m_db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
        for (int back : {0, 10, 20, 40})
            if (!scalar(m_db, "SELECT 1 FROM correcao WHERE cd_ref = ?",
                        {kq::platform::formatYearMonth(m_today.addDays(-back))})
                     .isValid())
                kq::test::addFactor(m_db, kq::platform::formatYearMonth(m_today.addDays(-back)),
                                    1.0);
    }

    void cleanup()
    {
        ScreenRegistry::instance().unloadAll();
        delete m_dialogs;
        delete m_folders;
    }

    void aDayWithTheKeyboard()
    {
        // --- Log in.
        bool loginTyped = false;
        QTimer::singleShot(0, [&] {
            if (waitFor("frmLogin")) {
                press(Qt::Key_A, Qt::ControlModifier); // over the account's name
                type(QStringLiteral("ANA"));
                press(Qt::Key_Tab);
                type(QStringLiteral("senha1"));
                press(Qt::Key_Return);
                loginTyped = true;
            }
            // Never leave the start waiting on a login the keys did not end.
            QWidget *login = ScreenRegistry::instance().find("frmLogin");
            if (login && login->isVisible())
                login->close();
        });
        QVERIFY(kq::shell::Main());
        QVERIFY(loginTyped);
        QCOMPARE(kq::shell::usuarioLogado(), QStringLiteral("ANA"));
        auto *main = kq::shell::mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QCOMPARE(focused(), main->ButtonBar1->item(1, 1));

        // --- The debtor register, first item of "Cadastros".
        press(Qt::Key_Return);
        QWidget *debtors = waitFor("ffornecedores");
        QVERIFY(debtors);
        QVERIFY_FOCUS("ffornecedores", "nm_cliente");
        const QStringList fields{
            "CARLOS ALBERTO", "RUA DAS FLORES 10", "CENTRO",         "CAMPINAS",   "SP",
            "3232-1010",      "13000-000",         "222.333.444-55", "BOM PAGADOR"};
        for (const QString &f : fields) {
            type(f);
            press(Qt::Key_Return);
        }
        QVERIFY_FOCUS("ffornecedores", "cd_cliente");
        // Enter past the last box goes round the screen, pressing nothing.
        press(Qt::Key_Return, Qt::NoModifier, 14);
        QVERIFY(ScreenRegistry::instance().find("ffornecedores"));
        QCOMPARE(count("SELECT COUNT(*) FROM CLIENTES"), 0);
        press(Qt::Key_I, Qt::AltModifier); // "&Incluir"
        QTRY_COMPARE(count("SELECT COUNT(*) FROM CLIENTES"), 1);
        QCOMPARE(text("SELECT CD_cliente || '|' || nm_cliente || '|' || DS_endereco || '|' || "
                      "DS_bairro || '|' || DS_cidade || '|' || ds_estado || '|' || "
                      "nr_telefones || '|' || cd_cep || '|' || nr_documento || '|' || ds_obs "
                      "FROM CLIENTES"),
                 QStringLiteral("00001|CARLOS ALBERTO|RUA DAS FLORES 10|CENTRO|CAMPINAS|SP|"
                                "3232-1010|13000-000|222.333.444-55|BOM PAGADOR"));
        QVERIFY_FOCUS("ffornecedores", "nm_cliente");
        press(Qt::Key_Return, Qt::NoModifier, 12);
        QCOMPARE(count("SELECT COUNT(*) FROM CLIENTES"), 1);
        QPointer<QWidget> guard(debtors);
        press(Qt::Key_Escape);
        QTRY_VERIFY(!guard);
        backToMain();

        // --- Cheque entry: the first item of "Lançamentos".
        QCOMPARE(focused(), main->ButtonBar1->item(1, 1));
        press(Qt::Key_Backtab, Qt::ShiftModifier); // "Cadastros"
        QCOMPARE(focused(), main->ButtonBar1->header(1));
        press(Qt::Key_End);                   // "B.I."
        press(Qt::Key_Up, Qt::NoModifier, 4); // "Lançamentos"
        QCOMPARE(focused(), main->ButtonBar1->header(2));
        press(Qt::Key_Return);
        QCOMPARE(main->ButtonBar1->currentGroup(), 2);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QVERIFY(waitFor("flancheques"));
        QVERIFY_FOCUS("flancheques", "nm_cliente");
        type(QStringLiteral("CARLOS ALBERTO"));
        press(Qt::Key_Return); // the store stays "LOJA CENTRO"
        QVERIFY_FOCUS("flancheques", "ds_loja");
        press(Qt::Key_Return);
        QVERIFY_FOCUS("flancheques", "ds_leitora");
        press(Qt::Key_Return); // no reader: on to the bank
        // The bank account is typed once: it stays for the debtor's next cheques.
        struct Cheque
        {
            const char *numero;
            int daysAgo;
            const char *valor, *alinea;
            double stored;
        };
        const Cheque cheques[] = {{"000101", 40, "1.250,40", "11", 1250.40},
                                  {"000102", 20, "350,5", "12", 350.50},
                                  {"000103", 10, "99,60", "11", 99.60}};
        int n = 0;
        for (const Cheque &c : cheques) {
            ++n;
            QVERIFY_FOCUS("flancheques", "CD_BANCO");
            if (n == 1) {
                for (const char *box : {"237", "1234", "55667"}) {
                    type(QString::fromLatin1(box));
                    press(Qt::Key_Return);
                }
            } else {
                press(Qt::Key_Return, Qt::NoModifier, 3);
            }
            type(QString::fromLatin1(c.numero));
            press(Qt::Key_Return);
            QVERIFY_FOCUS("flancheques", "dt_deposito");
            type(digits(m_today.addDays(-c.daysAgo)));
            press(Qt::Key_Return);
            type(QString::fromLatin1(c.valor));
            press(Qt::Key_Return);
            type(QString::fromLatin1(c.alinea));
            press(Qt::Key_Return);
            QVERIFY_FOCUS("flancheques", "nr_documento");
            press(Qt::Key_Return);
            type(QStringLiteral("CARLOS A SOUZA"));
            press(Qt::Key_Return, Qt::NoModifier, 4); // destination, situation, type, button
            press(Qt::Key_I, Qt::AltModifier);        // "&Incluir"
            QTRY_COMPARE(count("SELECT COUNT(*) FROM DEVOLVIDOS"), n);
            const QString key = kq::platform::formatPadded(n, 10);
            QCOMPARE(scalar(m_db,
                            "SELECT CD_CLIENTE || '|' || CD_LOJA || '|' || CD_BANCO || "
                            "'|' || CD_AGENCIA || '|' || CD_CONTA || '|' || NR_CHEQUE || "
                            "'|' || DT_DEPOSITO || '|' || CD_ALINEA || '|' || "
                            "NR_DOCUMENTO || '|' || NM_EMITENTE || '|' || CD_SITUACAO "
                            "FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = ?",
                            {key})
                         .toString(),
                     QStringList({"00001", "001", "237", "1234", "55667", c.numero,
                                  m_today.addDays(-c.daysAgo).toString(Qt::ISODate), c.alinea,
                                  "222.333.444-55", "CARLOS A SOUZA", "001"})
                         .join(QLatin1Char('|')));
            QCOMPARE(scalar(m_db, "SELECT VL_CHEQUE FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = ?", {key})
                         .toDouble(),
                     c.stored);
            QVERIFY_FOCUS("flancheques", "CD_BANCO");
        }
        QPointer<QWidget> entry = ScreenRegistry::instance().find("flancheques");
        press(Qt::Key_Escape);
        QTRY_VERIFY(!entry);
        backToMain();

        // --- The follow-up: one contact, and Enter again saves nothing more.
        QCOMPARE(focused(), main->ButtonBar1->item(2, 1));
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QVERIFY(waitFor("fvantesca")); // on the debtor list, the new debtor's row
        // Tab past the key box, the grids, "&Excluir Histórico" and the date's parts.
        for (int i = 0; i < 12 && !focusIs("fvantesca", "ENVOLVIDO"); ++i)
            press(Qt::Key_Tab);
        QVERIFY_FOCUS("fvantesca", "ENVOLVIDO");
        type(QStringLiteral("A ESPOSA"));
        press(Qt::Key_Return);
        QVERIFY_FOCUS("fvantesca", "cobrador");
        press(Qt::Key_Return);
        QVERIFY_FOCUS("fvantesca", "DS_hISTORICO");
        type(QStringLiteral("Vai pagar em tres vezes"));
        press(Qt::Key_Return);
        QVERIFY_FOCUS("fvantesca", "CONFIRMA");
        press(Qt::Key_Space); // "Finalizar e Gravar "
        QTRY_COMPARE(count("SELECT COUNT(*) FROM VANTESCA"), 1);
        QCOMPARE(text("SELECT CD_CLIENTE || '|' || CD_VANTESCA || '|' || DT_VANTESCA || '|' || "
                      "DS_HISTORICO || '|' || DS_ENVOLVIDO || '|' || DS_COBRADOR FROM VANTESCA"),
                 QStringLiteral("00001|001|%1|Vai pagar em tres vezes|A ESPOSA|ANA")
                     .arg(m_today.toString(Qt::ISODate)));
        QCOMPARE(count("SELECT nr_contatos FROM CLIENTES"), 1);
        QVERIFY_FOCUS("fvantesca", "dt_contato");
        press(Qt::Key_Return);
        press(Qt::Key_Space);
        press(Qt::Key_Return, Qt::NoModifier, 3);
        QCOMPARE(count("SELECT COUNT(*) FROM VANTESCA"), 1);
        QCOMPARE(count("SELECT nr_contatos FROM CLIENTES"), 1);

        // --- The agreement over the only store, from today.
        press(Qt::Key_F, Qt::AltModifier); // "&Fazer Acordo"
        QVERIFY(waitFor("facordo"));
        QVERIFY_FOCUS("facordo", "ds_loja");
        press(Qt::Key_Return); // choose the highlighted store
        QVERIFY_FOCUS("facordo", "nr_parcelas");
        type(QStringLiteral("4")); // over the store's 3
        press(Qt::Key_Return);
        QVERIFY_FOCUS("facordo", "vl_jurosparcelamento");
        type(QStringLiteral("0"));
        for (int i = 0; i < 6 && !focusIs("facordo", "dt_primeira"); ++i)
            press(Qt::Key_Return);
        QVERIFY_FOCUS("facordo", "dt_primeira");
        type(digits(m_today));
        press(Qt::Key_Return);
        QVERIFY_FOCUS("facordo", "Command2");
        QCOMPARE(count("SELECT COUNT(*) FROM acordos"), 0);
        press(Qt::Key_Space); // "Fazer Acordo"
        QTRY_COMPARE(count("SELECT COUNT(*) FROM acordos"), 1);
        QCOMPARE(text("SELECT cd_cliente || '|' || cd_loja || '|' || CAST(nr_parcelas AS INTEGER) "
                      "FROM acordos"),
                 QStringLiteral("00001|001|4"));
        QCOMPARE(count("SELECT COUNT(*) FROM parcelas WHERE cd_status = 'A'"), 4);
        const QDate firstDue = m_today.addMonths(1);
        QCOMPARE(text("SELECT MIN(dt_vencimento) FROM parcelas"), firstDue.toString(Qt::ISODate));
        QCOMPARE(count("SELECT COUNT(*) FROM DEVOLVIDOS WHERE CD_SITUACAO = '002'"), 3);
        QCOMPARE(m_dialogs->lastText(), QStringLiteral("Acordo realizado com sucesso!!!!"));

        // --- Write off the first instalment, due within 45 days.
        backToMain();
        QCOMPARE(focused(), main->ButtonBar1->item(2, 2));
        press(Qt::Key_Down, Qt::NoModifier, 2);
        press(Qt::Key_Return);
        QVERIFY(waitFor("fbaixar"));
        // Tab walks through the day, month and year of a date field.
        QVERIFY_FOCUS("fbaixar", "dt_inicio"); // today
        for (int i = 0; i < 3 && !focusIs("fbaixar", "dt_fim"); ++i)
            press(Qt::Key_Tab);
        QVERIFY_FOCUS("fbaixar", "dt_fim");
        type(digits(m_today.addDays(45)));
        for (int i = 0; i < 3 && !focusIs("fbaixar", "Command1"); ++i)
            press(Qt::Key_Tab);
        QVERIFY_FOCUS("fbaixar", "Command1");
        press(Qt::Key_Space); // "Filtrar"
        press(Qt::Key_Tab);
        QVERIFY_FOCUS("fbaixar", "GridEX1");
        press(Qt::Key_Down);
        press(Qt::Key_Tab);
        QVERIFY_FOCUS("fbaixar", "Command3");
        press(Qt::Key_Space); // "Baixar"
        QVERIFY(waitFor("fbaixa"));
        QVERIFY_FOCUS("fbaixa", "dt_baixa");
        press(Qt::Key_Return);
        QVERIFY_FOCUS("fbaixa", "Command1");
        press(Qt::Key_Space); // "Baixar e Sair"
        QTRY_COMPARE(count("SELECT COUNT(*) FROM parcelas WHERE cd_status = 'B'"), 1);
        QCOMPARE(text("SELECT cd_parcela || '|' || DT_BAIXA || '|' || dt_vencimento FROM parcelas "
                      "WHERE cd_status = 'B'"),
                 QStringLiteral("01|%1|%2")
                     .arg(m_today.toString(Qt::ISODate), firstDue.toString(Qt::ISODate)));
        QCOMPARE(count("SELECT COUNT(*) FROM parcelas WHERE cd_status = 'A'"), 3);

        QCOMPARE(m_dialogs->texts(), QStringList{"Acordo realizado com sucesso!!!!"});
    }
};

QTEST_MAIN(tst_keyboard_road)
#include "tst_keyboard_road.moc"
