// Times collection letters from an office's Word templates through the letter
// screen, from the click on "&Executar" until the filled letter is handed to
// the word processor (the Writer window itself is not opened): the way it was
// (a fresh LibreOffice profile and a conversion at every letter) beside the
// way it is now (one profile of the program's own, each template converted
// once and kept).
//   bench_letters

#include "benchsupport.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/grid/gridex.h"
#include "platform/letters/officeprofile.h"
#include "platform/letters/wordprocessor.h"
#include "queries/filelistbox.h"
#include "queries/frelatorioscartas.h"
#include "queries/screens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>

using kq::platform::LibreOfficeProcessor;
using kq::platform::OfficeRun;

namespace {

QString convert(const QString &input, const QString &outdir, const QString &filter,
                const QString &profile)
{
    const OfficeRun run = kq::platform::runOffice(
        LibreOfficeProcessor::program(),
        {"-env:UserInstallation=" + QUrl::fromLocalFile(profile).toString(), "--headless",
         "--norestore", "--convert-to", filter, "--outdir", outdir, input},
        "Convertendo...", LibreOfficeProcessor::kConvertTimeout);
    const QString out
        = outdir + "/" + QFileInfo(input).completeBaseName() + "." + filter.section(':', 0, 0);
    return run == OfficeRun::Finished && QFile::exists(out) ? out : QString();
}

// The letters as they were: every letter converts its template with a fresh
// LibreOffice profile.
class FreshProfileEveryLetter : public kq::platform::WordProcessor
{
public:
    QString toFlatOdt(const QString &templatePath, QString *error) override
    {
        QTemporaryDir work;
        const QString input = work.filePath("modelo.doc");
        QFile::copy(templatePath, input);
        QFile out(convert(input, work.path(), "fodt:OpenDocument Text Flat XML",
                          work.filePath("perfil")));
        if (!out.open(QIODevice::ReadOnly)) {
            *error = "conversion failed";
            return QString();
        }
        return QString::fromUtf8(out.readAll());
    }
    bool show(const QString &, const QString &, QString *) override { return true; }
};

// The letters now, without opening the window.
class NoWindow : public LibreOfficeProcessor
{
public:
    bool show(const QString &, const QString &, QString *) override { return true; }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    if (LibreOfficeProcessor::program().isEmpty()) {
        std::printf("soffice is not installed\n");
        return 1;
    }
    // The program's profile and kept copies start empty, in a folder of the run.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath("cache")));

    kq::bench::BenchOffice office;
    const QString db = office.devolvidos;
    kq::collection::registerScreens();
    kq::queries::registerScreens();
    office.logIn();
    office.dialogs.echo = true;
    kq::data::exec(db, "INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_contatos) "
                       "VALUES ('00001', 'ANA & FILHOS LTDA', 0)");
    kq::data::exec(db, "INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES ('001', 'LOJA A', "
                       "'255')");
    for (int i = 1; i <= 12; ++i)
        kq::data::exec(
            db,
            "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
            "DT_VANTESCA, DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, "
            "cd_documento) VALUES (?, '00001', '001', '2026-01-05', ?, ?, '001', "
            "'001', '01')",
            {QString::asprintf("%010d", i), QString::asprintf("2026-%02d-05", i), 100.0 * i});
    kq::data::exec(db, "UPDATE parametros SET ds_empresa = 'ESCRITÓRIO', ds_cidade = 'Bauru', "
                       "nr_telefone = '3333-0000', ds_prazo = '5 dias', "
                       "ds_endereco = 'Rua A, 1'");

    // The office's templates as Word files: the shipped ones converted to .doc.
    const QString data = QFileInfo(db).absolutePath();
    QTemporaryDir work;
    for (const QString name : {"Carta Branda.doc", "Carta Intermediaria.doc"}) {
        QFile::copy(data + "/" + name, work.filePath("modelo.fodt"));
        const QString doc = convert(work.filePath("modelo.fodt"), work.path(), "doc:MS Word 97",
                                    work.filePath("perfil"));
        QFile::remove(work.filePath("modelo.fodt"));
        QFile::remove(data + "/" + name);
        if (doc.isEmpty() || !QFile::rename(doc, data + "/" + name)) {
            std::printf("could not make the Word template %s\n", qPrintable(name));
            return 1;
        }
    }
    std::printf("templates: Word 97 files of %lld and %lld bytes; 12 cheques in the letter\n",
                QFileInfo(data + "/Carta Branda.doc").size(),
                QFileInfo(data + "/Carta Intermediaria.doc").size());

    auto &registry = kq::platform::ScreenRegistry::instance();
    registry.show("fvantesca");
    auto *debtors = registry.find("fvantesca")->findChild<kq::platform::GridEX *>("GridEX2");
    debtors->setCurrentRow(debtors->findRow(2, "00001"));
    auto *screen = registry.get<kq::queries::frelatorioscartas>("frelatorioscartas");
    screen->findChild<kq::platform::DBList *>("ds_loja")->setBoundText("001");
    auto *templates = screen->findChild<kq::queries::FileListBox *>("diretorio");
    auto *run = screen->findChild<QPushButton *>("Command2");
    const auto letter = [&](const char *name) {
        templates->setFileName(QString::fromUtf8(name));
        QElapsedTimer t;
        t.start();
        run->click();
        return t.nsecsElapsed() / 1e9;
    };
    const auto line = [](const char *what, double s, const char *target) {
        std::printf("  %-52s %7.3f s%s\n", what, s, target);
    };

    FreshProfileEveryLetter before;
    kq::platform::setWordProcessor(&before);
    std::printf("baseline: a fresh profile and a conversion at every letter\n");
    line("first letter", letter("Carta Branda.doc"), "");
    line("second letter from the same template", letter("Carta Branda.doc"), "");

    NoWindow now;
    kq::platform::setWordProcessor(&now);
    std::printf("now: one profile of the program's own, each template converted once\n");
    line("first letter of a new account (profile made)", letter("Carta Branda.doc"), "");
    line("second letter from the same template", letter("Carta Branda.doc"), "   (target <= 1 s)");
    line("first letter from another template", letter("Carta Intermediaria.doc"), "");
    line("second letter from that template", letter("Carta Intermediaria.doc"),
         "   (target <= 1 s)");
    QElapsedTimer t;
    t.start();
    QString error;
    kq::platform::OfficeProfile::prepare(LibreOfficeProcessor::program(), &error);
    line("profile made ready for windows (once per account)", t.nsecsElapsed() / 1e9, "");
    kq::platform::setWordProcessor(nullptr);
    return 0;
}
