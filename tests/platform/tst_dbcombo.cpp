// The data-bound combo keeps the row picked, never a namesake of it.
#include "data/database.h"
#include "platform/dbcombo.h"
#include "support/base_data.h"
#include "support/base_dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using kq::platform::DBCombo;

class tst_dbcombo : public QObject
{
    Q_OBJECT

private:
    kq::test::TempDataFolder *m_folder = nullptr;
    QWidget *m_window = nullptr;
    DBCombo *m_combo = nullptr;
    QLineEdit *m_next = nullptr;

    void type(const QString &text)
    {
        m_combo->setFocus(Qt::TabFocusReason);
        m_combo->lineEdit()->selectAll();
        m_combo->lineEdit()->insert(text);
    }
    void leave()
    {
        m_next->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

private slots:
    void init()
    {
        m_folder = new kq::test::TempDataFolder;
        kq::data::exec(m_folder->devolvidos(),
                       QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES "
                                      "('00001', 'MARIA SILVA'), ('00002', 'MARIA SILVA'), "
                                      "('00003', 'Ana'), ('00004', 'ANA'), "
                                      "('00005', 'JOSÉ'), ('00006', 'JOSE'), ('00007', 'BIA')"));
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        m_combo = new DBCombo(m_window);
        m_next = new QLineEdit(m_window);
        layout->addWidget(m_combo);
        layout->addWidget(m_next);
        m_combo->setDatabaseName(m_folder->devolvidos());
        m_combo->setRowSource(QStringLiteral("select * from clientes order by nm_cliente"));
        m_combo->setListField(QStringLiteral("nm_cliente"));
        m_combo->setBoundColumn(QStringLiteral("cd_cliente"));
        m_combo->refresh();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    void cleanup()
    {
        delete m_window;
        delete m_folder;
    }

    // Picked or set by key, a row stays bound through leaving the box and a
    // refresh, whatever other row has its text.
    void pickedRowStays_data()
    {
        QTest::addColumn<QString>("key");
        for (const char *key : {"00001", "00002", "00003", "00004", "00005", "00006"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }
    void pickedRowStays()
    {
        QFETCH(QString, key);
        m_combo->setCurrentIndex(m_combo->findData(key));
        QCOMPARE(m_combo->boundText(), key);
        leave();
        QCOMPARE(m_combo->boundText(), key);
        m_combo->refresh();
        QCOMPARE(m_combo->boundText(), key);
        m_combo->setBoundText(QStringLiteral("00007"));
        m_combo->setBoundText(key);
        QCOMPARE(m_combo->boundText(), key);
        QVERIFY(!m_combo->isAmbiguous());
    }

    // Typed text binds to the one row it names, as the database compares
    // names; several rows and no pick: no key, and a choice is asked for.
    void typedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("ambiguous");
        QTest::newRow("same name") << "MARIA SILVA"
                                   << "" << true;
        QTest::newRow("case only") << "ana"
                                   << "" << true;
        QTest::newRow("accent only, plain") << "jose"
                                            << "00006" << false;
        QTest::newRow("accent only, accented") << QString::fromUtf8("José") << "00005" << false;
        QTest::newRow("one row") << "bia"
                                 << "00007" << false;
        QTest::newRow("no row") << "CARLA"
                                << "" << false;
    }
    void typedText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QFETCH(bool, ambiguous);
        type(typed);
        leave();
        QCOMPARE(m_combo->boundText(), key);
        QCOMPARE(m_combo->isAmbiguous(), ambiguous);
        kq::test::ScriptedDialogs dialogs;
        QCOMPARE(kq::platform::choicesAreClear({m_combo}), !ambiguous);
        QCOMPARE(dialogs.messages.size(), ambiguous ? 1 : 0);
        // Set by the program, a shared text shows no row either.
        m_combo->setText(typed);
        QCOMPARE(m_combo->boundText(), key);
    }

    // Typing over a picked row in another case is no longer that row.
    void typingOverAPick()
    {
        m_combo->setCurrentIndex(m_combo->findData(QStringLiteral("00002")));
        type(QStringLiteral("maria silva"));
        leave();
        QVERIFY(m_combo->isAmbiguous());
        QCOMPARE(m_combo->boundText(), QString());
        type(QStringLiteral("bia"));
        leave();
        QCOMPARE(m_combo->boundText(), QStringLiteral("00007"));
        QCOMPARE(m_combo->text(), QStringLiteral("BIA"));
    }
};

QTEST_MAIN(tst_dbcombo)
#include "tst_dbcombo.moc"
