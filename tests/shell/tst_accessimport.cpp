#include "data/database.h"
#include "data/datafolder.h"
#include "import/mapping.h"
#include "support/memorysource.h"
#include "shell/accessimport.h"
#include "shell/rules/passwords.h"

#include <QTemporaryDir>
#include <QtTest>

using kq::import::SourceRow;
using kq::import::SourceValue;

// The shell's side of an import: the program's own password hash.
class tst_accessimport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { kq::data::closeAllDatabases(); }

    // A password typed in the old program logs in after the import, exactly
    // as typed, and is stored only as the program's hash.
    void importedPasswordsStillLogIn()
    {
        kq::test::MemoryDatabase source;
        source.add("USUARIOS", {"CD_USUARIO", "USUARIO", "SENHA"}).rows
            << SourceRow{SourceValue::string("001"), SourceValue::string("Supervisor"),
                         SourceValue::string("Çé 12 ")};
        QTemporaryDir dir;
        const QString path = dir.filePath("devolvidos.mdb");
        kq::import::ImportProgress progress;
        kq::import::importDatabase(source, kq::data::kDevolvidos, path,
                                   kq::shell::accessImportOptions(), progress);
        const QString stored = kq::data::scalar(path, "SELECT senha FROM usuarios").toString();
        QVERIFY(kq::shell::isPasswordHash(stored));
        QVERIFY(!stored.contains(QStringLiteral("Çé 12")));
        QVERIFY(kq::shell::verifyPassword(QStringLiteral("Çé 12 "), stored));
        QVERIFY(!kq::shell::verifyPassword(QStringLiteral("Çé 12"), stored));
        QVERIFY(!kq::shell::verifyPassword(QStringLiteral("çé 12 "), stored));
    }
};

QTEST_GUILESS_MAIN(tst_accessimport)
#include "tst_accessimport.moc"
