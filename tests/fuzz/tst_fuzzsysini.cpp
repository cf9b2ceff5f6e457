// "sys.ini", damaged in every way the mutation engine knows, read as the
// start reads it: the data folder it gives is a folder, and a refused file
// is said with a message naming "sys.ini", never another exception or a
// crash. The seeds' "@DADOS@" stands for a real data folder.
#include "fuzz/fuzzengine.h"
#include "shell/fprincipal.h"
#include "support/base_folders.h"

#include <QFileInfo>
#include <QtTest>

class tst_fuzzsysini : public QObject
{
    Q_OBJECT

private:
    kq::test::TempFolders m_folders;

    QString check(const QByteArray &input);

private slots:
    void sysIni();
};

QString tst_fuzzsysini::check(const QByteArray &input)
{
    const QString path = m_folders.programFile(QStringLiteral("sys.ini"));
    if (!kq::fuzz::writeFile(path, input))
        return QStringLiteral("could not write the input");
    try {
        const QString folder = kq::shell::readDataFolder(path);
        if (!QFileInfo(folder).isDir())
            return QStringLiteral("taken, but not a folder: ") + folder;
    } catch (const kq::shell::StartupError &e) {
        if (!e.message().contains(QLatin1String("sys.ini")))
            return QStringLiteral("the message does not name the file: ") + e.message();
    } catch (const std::exception &e) {
        return QStringLiteral("exception: ") + QString::fromUtf8(e.what());
    }
    return QString();
}

void tst_fuzzsysini::sysIni()
{
    const QByteArray folder = m_folders.dataFolder().toUtf8();
    QList<QByteArray> seeds = kq::fuzz::readCorpus(QStringLiteral("sysini"));
    for (QByteArray &s : seeds)
        s.replace("@DADOS@", folder);
    const kq::fuzz::Mutator mutator(seeds, {folder, "/", "//", "..", "./", "~", "\r", "\n", "\r\n",
                                            "\t", " ", "C:\\", "\\\\servidor\\", "\xef\xbb\xbf",
                                            "\xff\xfe", "sys.ini"});
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        QStringLiteral("sysini"), mutator, [this](const QByteArray &in) { return check(in); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

QTEST_GUILESS_MAIN(tst_fuzzsysini)
#include "tst_fuzzsysini.moc"
