#include "platform/letters/wordprocessor.h"

#include "platform/letters/officeprofile.h"
#include "platform/letters/privatefolders.h"
#include "platform/letters/templatecache.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace kq::platform {

namespace {

WordProcessor *g_processor = nullptr;

TemplateCache templateCache()
{
    return TemplateCache(letterCacheFolder() + QStringLiteral("/modelos"));
}

} // namespace

bool isFlatOdt(const QByteArray &head)
{
    return head.contains("<office:document")
           && head.contains("application/vnd.oasis.opendocument.text");
}

QString LibreOfficeProcessor::program()
{
    QString p = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (p.isEmpty())
        p = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return p;
}

QString LibreOfficeProcessor::toFlatOdt(const QString &templatePath, QString *error)
{
    QFile f(templatePath);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível abrir o modelo \"%1\".").arg(templatePath);
        return QString();
    }
    if (isFlatOdt(f.peek(4096)))
        return QString::fromUtf8(f.readAll());
    f.close();
    const QString kept = templateCache().lookup(templatePath);
    if (!kept.isEmpty())
        return kept;
    const QString xml = convert(templatePath, error);
    if (!xml.isEmpty())
        templateCache().store(templatePath, xml);
    return xml;
}

QString LibreOfficeProcessor::convert(const QString &templatePath, QString *error)
{
    error->clear();
    const QString soffice = program();
    if (soffice.isEmpty()) {
        *error = QStringLiteral("O LibreOffice não está instalado: não é possível abrir o "
                                "modelo \"%1\".")
                     .arg(templatePath);
        return QString();
    }
    if (!makePrivateFolder(letterCacheFolder())) {
        *error = QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(letterCacheFolder());
        return QString();
    }
    QTemporaryDir work(letterCacheFolder() + QStringLiteral("/conversao-XXXXXX"));
    if (!work.isValid()) {
        *error = QStringLiteral("Não foi possível criar uma pasta temporária.");
        return QString();
    }
    // The conversion names its output after the input: copy it under a plain name.
    const QString input
        = work.filePath(QStringLiteral("modelo.") + QFileInfo(templatePath).suffix());
    QFile::copy(templatePath, input);
    const OfficeRun run = runOffice(
        soffice,
        {OfficeProfile::argument(), QStringLiteral("--headless"), QStringLiteral("--norestore"),
         QStringLiteral("--convert-to"), QStringLiteral("fodt:OpenDocument Text Flat XML"),
         QStringLiteral("--outdir"), work.path(), input},
        QStringLiteral("Convertendo o modelo \"%1\"...").arg(QFileInfo(templatePath).fileName()),
        kConvertTimeout);
    if (run == OfficeRun::Canceled)
        return QString();
    QFile out(work.filePath(QStringLiteral("modelo.fodt")));
    if (run != OfficeRun::Finished || !out.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível converter o modelo \"%1\".").arg(templatePath);
        return QString();
    }
    return QString::fromUtf8(out.readAll());
}

bool LibreOfficeProcessor::show(const QString &flatOdt, const QString &title, QString *error)
{
    error->clear();
    const QString soffice = program();
    if (soffice.isEmpty()) {
        *error = QStringLiteral("O LibreOffice não está instalado: não é possível mostrar "
                                "a carta.");
        return false;
    }
    if (!OfficeProfile::prepare(soffice, error))
        return false;
    const QString path = newFilledLetterPath(title);
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("Não foi possível gravar a carta em \"%1\".")
                     .arg(filledLettersFolder());
        return false;
    }
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray data = flatOdt.toUtf8();
    const bool written = f.write(data) == data.size() && f.flush();
    f.close();
    if (!written) {
        QFile::remove(path);
        *error = QStringLiteral("Não foi possível gravar a carta em \"%1\".")
                     .arg(filledLettersFolder());
        return false;
    }
    if (!QProcess::startDetached(soffice, {OfficeProfile::argument(), QStringLiteral("--norestore"),
                                           OfficeProfile::openMacro(path)})) {
        QFile::remove(path);
        *error = QStringLiteral("Não foi possível iniciar o LibreOffice.");
        return false;
    }
    return true;
}

WordProcessor *wordProcessor()
{
    static LibreOfficeProcessor libreOffice;
    return g_processor ? g_processor : &libreOffice;
}

void setWordProcessor(WordProcessor *processor)
{
    g_processor = processor;
}

bool LetterDocument::open(const QString &templatePath)
{
    m_template = templatePath;
    m_error.clear();
    m_canceled = false;
    if (!QFileInfo(templatePath).isFile()) {
        m_error = QStringLiteral("Modelo não encontrado: \"%1\".").arg(templatePath);
        return false;
    }
    const QString xml = wordProcessor()->toFlatOdt(templatePath, &m_error);
    if (xml.isEmpty()) {
        m_canceled = m_error.isEmpty();
        return false;
    }
    if (!m_doc.load(xml)) {
        m_error = QStringLiteral("Não foi possível ler o modelo \"%1\": %2")
                      .arg(templatePath, m_doc.errorString());
        return false;
    }
    return true;
}

bool LetterDocument::replaceNext(const QString &placeholder, const QString &value)
{
    return m_doc.replaceNext(placeholder, value);
}

bool LetterDocument::show()
{
    m_error.clear();
    if (wordProcessor()->show(m_doc.xml(), QFileInfo(m_template).completeBaseName(), &m_error))
        return true;
    m_canceled = m_error.isEmpty();
    return false;
}

} // namespace kq::platform
