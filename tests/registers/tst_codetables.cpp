#include "data/database.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "registers/fsituacao.h"
#include "registers/screens.h"
#include "shell/fprincipal.h"
#include "shell/services/procedures.h"
#include "shell/services/registerscreen.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using kq::platform::Answer;
using kq::platform::ScreenRegistry;
using kq::shell::RegisterScreen;

namespace {

struct Table
{
    QString screen;
    QString table;
    QString keyField;
    QString descField;
    QString descBox;
    QString caption;
    QString firstKey;
    QString secondKey;
    int menuItem; // in the menu group "Cadastros"
};

const QList<Table> &tables()
{
    static const QList<Table> t = {
        {"fdestinos", "destinos", "CD_destino", "DS_destino", "ds_destino", "Cadastro de Destinos",
         "001", "002", 4},
        {"fcontas", "domicilios", "CD_domicilio", "nm_domicilio", "nm_domicilio",
         "Cadastro de Contas", "001", "002", 6},
        {"fdocumentos", "documentos", "CD_documento", "DS_documento", "ds_documento",
         " Tabela de Documentos", "01", "02", 7},
        {"fsituacao", "situacoes", "CD_situacao", "DS_situacao", "ds_situacao",
         "Cadastro de Situações", "001", "002", 5},
    };
    return t;
}

const Table &tableOf(const QString &screen)
{
    for (const Table &t : tables())
        if (t.screen == screen)
            return t;
    return tables().first();
}

void addScreens()
{
    QTest::addColumn<QString>("screen");
    for (const Table &t : tables())
        QTest::newRow(qPrintable(t.screen)) << t.screen;
}

// A shell with the registers and one code table, emptied or filled with
// rows "k" -> "D<k>".
struct Register
{
    Register(const QString &screenName, const QStringList &keys = {})
        : t(tableOf(screenName))
    {
        static bool registered = false;
        if (!registered) {
            kq::registers::registerScreens();
            registered = true;
        }
        kq::test::reg::clearTable(db(), t.table);
        for (const QString &k : keys) {
            QStringList fields{t.keyField, t.descField};
            QVariantList values{k, "D" + k};
            if (t.table == "situacoes") {
                fields << "CD_ACORDO";
                values << "0";
            }
            kq::test::reg::insertRow(db(), t.table, fields, values);
        }
        // Opened from the main window's menu, as the user does.
        QCOMPARE(shell.main->ButtonBar1_ItemClick(1, t.menuItem), t.screen);
        screen = qobject_cast<RegisterScreen *>(ScreenRegistry::instance().find(t.screen));
        QVERIFY(screen && screen->isVisible());
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen));
        desc = screen->findChild<QLineEdit *>(t.descBox);
    }
    QString db() const { return shell.devolvidos(); }
    QString descOf(const QString &key) const
    {
        return kq::test::reg::fieldOf(db(), t.table, t.keyField, key, t.descField).toString();
    }
    QStringList keys() const { return kq::test::reg::keysOf(db(), t.table, t.keyField); }
    bool choose(const QString &key) { return kq::test::reg::chooseRow(screen->GridEX1, 1, key); }

    kq::test::ShellFixture shell;
    Table t;
    RegisterScreen *screen = nullptr;
    QLineEdit *desc = nullptr;
};

} // namespace

class tst_codetables : public QObject
{
    Q_OBJECT
private slots:
    void loadsWithCaptionAndEmptyBoxes_data() { addScreens(); }
    void loadsWithCaptionAndEmptyBoxes()
    {
        QFETCH(QString, screen);
        Register r(screen, {"001"});
        QCOMPARE(r.screen->windowTitle(), r.t.caption);
        QVERIFY(r.desc);
        QVERIFY(r.screen->codeBox()->text().isEmpty());
        QVERIFY(r.desc->text().isEmpty());
        QCOMPARE(r.screen->focusWidget(), r.desc);
        QCOMPARE(r.screen->GridEX1->recordCount(), 1);
        QCOMPARE(r.screen->GridEX1->column(1).caption(), QString("Código"));
        QCOMPARE(r.screen->GridEX1->column(2).caption(), QString("Descrição"));
        QCOMPARE(r.screen->CONFIRMA->toolTip(),
                 QString("CLICAR AQUI APOS DIGITAR TODOS OS DADOS  "));
    }

    void includeGeneratesTheKey_data() { addScreens(); }
    void includeGeneratesTheKey()
    {
        QFETCH(QString, screen);
        Register r(screen);
        r.screen->codeBox()->setText("77");
        r.desc->setText("PRIMEIRO");
        r.screen->CONFIRMA->click();
        QCOMPARE(r.keys(), QStringList{r.t.firstKey});
        QCOMPARE(r.descOf(r.t.firstKey), QString("PRIMEIRO"));
        QVERIFY(r.screen->codeBox()->text().isEmpty());
        QVERIFY(r.desc->text().isEmpty());
        QCOMPARE(r.screen->focusWidget(), r.desc);
        QCOMPARE(kq::shell::ProcedimentoAtual, r.t.caption);

        // An empty description is stored as it is.
        r.screen->CONFIRMA->click();
        QCOMPARE(r.keys(), (QStringList{r.t.firstKey, r.t.secondKey}));
        QCOMPARE(r.descOf(r.t.secondKey), QString(""));
        QCOMPARE(r.screen->GridEX1->recordCount(), 2);
        QVERIFY(r.shell.dialogs.messages.isEmpty());
    }

    void alterRewritesTheRecordOfTheCodeBox()
    {
        Register r("fdestinos", {"001", "002"});
        QVERIFY(r.choose("001"));
        QCOMPARE(r.screen->codeBox()->text(), QString("001"));
        QCOMPARE(r.desc->text(), QString("D001"));
        r.screen->codeBox()->setText("002");
        r.desc->setText("NOVO DOIS");
        r.screen->alterar->click();
        QCOMPARE(r.descOf("002"), QString("NOVO DOIS"));
        QCOMPARE(r.descOf("001"), QString("D001"));
        QVERIFY(r.desc->text().isEmpty());

        // A code no record has: nothing written, nothing said, boxes emptied.
        r.screen->codeBox()->setText("009");
        r.desc->setText("NINGUÉM");
        r.screen->alterar->click();
        QCOMPARE(r.keys(), (QStringList{"001", "002"}));
        QVERIFY(r.desc->text().isEmpty());
        QVERIFY(r.shell.dialogs.messages.isEmpty());
    }

    void deleteAsksForTheGridRow_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<Answer>("answer");
        for (const Table &t : tables()) {
            QTest::newRow(qPrintable(t.screen + " yes")) << t.screen << Answer::Yes;
            QTest::newRow(qPrintable(t.screen + " no")) << t.screen << Answer::No;
        }
    }
    void deleteAsksForTheGridRow()
    {
        QFETCH(QString, screen);
        QFETCH(Answer, answer);
        const Table &t = tableOf(screen);
        Register r(screen, {t.firstKey, t.secondKey});
        QVERIFY(r.choose(t.secondKey));
        // The boxes showing another record do not matter.
        r.screen->codeBox()->setText(t.firstKey);
        r.shell.dialogs.answers.enqueue(answer);
        r.screen->EXCLUIR->click();
        QCOMPARE(r.shell.dialogs.messages.size(), 1);
        const auto &m = r.shell.dialogs.messages.first();
        QCOMPARE(m.text, "Deseja Realmente excluir esse registro? :D" + t.secondKey);
        QCOMPARE(m.title, QString("EXCLUSÃO"));
        QCOMPARE(m.buttons, kq::platform::Buttons::YesNo);
        QCOMPARE(m.icon, kq::platform::Icon::Question);
        const QStringList left = answer == Answer::Yes ? QStringList{t.firstKey}
                                                       : QStringList{t.firstKey, t.secondKey};
        QCOMPARE(r.keys(), left);
        QVERIFY(r.screen->codeBox()->text().isEmpty());
        QVERIFY(r.desc->text().isEmpty());
    }

    // The grid still lists a record that was deleted elsewhere.
    void staleRowNeverNamesAnotherRecord()
    {
        Register r("fdestinos", {"001", "002", "003"});
        QVERIFY(r.choose("002"));
        kq::data::exec(r.db(), "DELETE FROM destinos WHERE CD_destino = '002'");
        r.screen->EXCLUIR->click();
        QCOMPARE(r.shell.dialogs.messages.size(), 1);
        QVERIFY(r.shell.dialogs.lastText().contains("Nenhum registro atual."));
        QVERIFY(!r.shell.dialogs.lastText().contains("Deseja"));
        QCOMPARE(r.keys(), (QStringList{"001", "003"}));

        // Picking the stale row shows nothing.
        r.shell.dialogs.clear();
        QVERIFY(r.choose("003"));
        kq::data::exec(r.db(), "DELETE FROM destinos WHERE CD_destino = '001'");
        QVERIFY(r.choose("001"));
        QCOMPARE(r.screen->codeBox()->text(), QString("003"));
        QCOMPARE(r.desc->text(), QString("D003"));
        QVERIFY(r.shell.dialogs.messages.isEmpty());
    }

    void deleteOnAnEmptyTableDeletesNothing()
    {
        Register r("fdocumentos");
        r.screen->EXCLUIR->click();
        QCOMPARE(r.shell.dialogs.messages.size(), 1);
        QVERIFY(r.shell.dialogs.lastText().startsWith("Erro No.3021"));
        QVERIFY(r.shell.dialogs.lastText().contains("Formulário: fdocumentos"));
        QVERIFY(r.shell.dialogs.lastText().contains("Procedure:  Tabela de Documentos"));
    }

    void quoteInADescriptionIsKept()
    {
        Register r("fdestinos", {"001"});
        r.desc->setText("D'ÁGUA 'X' OR ''='");
        r.screen->CONFIRMA->click();
        QCOMPARE(r.descOf("002"), QString("D'ÁGUA 'X' OR ''='"));
        QCOMPARE(r.descOf("001"), QString("D001"));
        QVERIFY(r.choose("002"));
        QCOMPARE(r.desc->text(), QString("D'ÁGUA 'X' OR ''='"));
    }

    void keysOfThePattern_data() { addScreens(); }
    void keysOfThePattern()
    {
        QFETCH(QString, screen);
        Register r(screen);
        QVERIFY(r.screen->escCloses());
        QVERIFY(!r.screen->enterAsTab());
        QTest::keyClick(r.desc, Qt::Key_Return);
        QCOMPARE(r.screen->focusWidget(), r.desc);
        // Tab order: description, code, Sair, Incluir, Alterar, Excluir.
        QWidget *w = r.desc;
        QList<QWidget *> order;
        for (int i = 0; i < 6; ++i) {
            order << w;
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->isVisible())
                w = w->nextInFocusChain();
        }
        QCOMPARE(order.at(1), static_cast<QWidget *>(r.screen->codeBox()));
        if (screen != "fsituacao") {
            QCOMPARE(order.at(2), static_cast<QWidget *>(r.screen->Command1));
            QCOMPARE(order.at(3), static_cast<QWidget *>(r.screen->CONFIRMA));
        }
        QPointer<QWidget> guard(r.screen);
        QTest::keyClick(r.desc, Qt::Key_Escape);
        QTRY_VERIFY(!guard);
        QCOMPARE(ScreenRegistry::instance().find(screen), nullptr);
    }

    void situationFlag()
    {
        Register r("fsituacao", {"001"});
        auto *s = qobject_cast<kq::registers::fsituacao *>(r.screen);
        QCOMPARE(s->cd_acordo->count(), 2);
        QCOMPARE(s->cd_acordo->currentText(), QString("SIM"));
        QCOMPARE(s->Label11->text(), QString("Campo preenchido automáticamente na inclusão"));

        s->ds_situacao->setText("PROTESTADO");
        s->cd_acordo->setCurrentIndex(1);
        s->CONFIRMA->click();
        QCOMPARE(kq::test::reg::fieldOf(r.db(), "situacoes", "CD_situacao", "002", "CD_ACORDO"),
                 QVariant("1"));
        // Clearing keeps the flag last chosen.
        QCOMPARE(s->cd_acordo->currentText(), QString("NÃO"));

        QVERIFY(r.choose("001"));
        QCOMPARE(s->cd_acordo->currentText(), QString("SIM"));

        // A Null flag: one report, the previous choice stays.
        kq::test::reg::insertRow(r.db(), "situacoes", {"CD_situacao", "DS_situacao"},
                                 {"003", "SEM"});
        s->cd_acordo->setCurrentIndex(1);
        s->Data1.refresh();
        s->GridEX1->rebind();
        s->GridEX1->refresh();
        QVERIFY(r.choose("003"));
        QCOMPARE(r.shell.dialogs.messages.size(), 1);
        QVERIFY(r.shell.dialogs.lastText().contains("Formulário: fsituacao"));
        QCOMPARE(s->ds_situacao->text(), QString("SEM"));
        QCOMPARE(s->cd_acordo->currentText(), QString("NÃO"));
    }
};

QTEST_MAIN(tst_codetables)
#include "tst_codetables.moc"
