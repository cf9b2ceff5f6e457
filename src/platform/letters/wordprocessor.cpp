#include "platform/letters/wordprocessor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace kq::platform {

namespace {

WordProcessor *g_processor = nullptr;

QString readUtf8(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Não foi possível ler o arquivo \"%1\".").arg(path);
        return QString();
    }
    return QString::fromUtf8(f.readAll());
}

// Folder of the filled letters handed to the word processor.
QString lettersFolder()
{
    const QString dir = QDir::tempPath() + QStringLiteral("/kq-730-cartas");
    QDir().mkpath(dir);
    return dir;
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
        if (error)
            *error = QStringLiteral("Não foi possível abrir o modelo \"%1\".").arg(templatePath);
        return QString();
    }
    if (isFlatOdt(f.peek(4096))) {
        return QString::fromUtf8(f.readAll());
    }
    f.close();
    const QString soffice = program();
    if (soffice.isEmpty()) {
        if (error)
            *error = QStringLiteral("O LibreOffice não está instalado: não é possível abrir o "
                                    "modelo \"%1\".")
                         .arg(templatePath);
        return QString();
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        if (error)
            *error = QStringLiteral("Não foi possível criar uma pasta temporária.");
        return QString();
    }
    // A profile of its own, so a Writer the user has open is not disturbed.
    const QString profile = QUrl::fromLocalFile(work.filePath(QStringLiteral("perfil")))
                                .toString();
    // The conversion names its output after the input: copy it under a plain name.
    const QString input = work.filePath(QStringLiteral("modelo.")
                                        + QFileInfo(templatePath).suffix());
    QFile::copy(templatePath, input);
    QProcess proc;
    proc.setProcessChannelMode(QProcess::MergedChannels);
    proc.start(soffice, {QStringLiteral("-env:UserInstallation=") + profile,
                         QStringLiteral("--headless"), QStringLiteral("--norestore"),
                         QStringLiteral("--convert-to"),
                         QStringLiteral("fodt:OpenDocument Text Flat XML"),
                         QStringLiteral("--outdir"), work.path(), input});
    const bool finished = proc.waitForFinished(kConvertTimeout);
    if (!finished)
        proc.kill();
    const QString out = work.filePath(QStringLiteral("modelo.fodt"));
    if (!finished || !QFile::exists(out)) {
        if (error)
            *error = QStringLiteral("Não foi possível converter o modelo \"%1\".")
                         .arg(templatePath);
        return QString();
    }
    return readUtf8(out, error);
}

bool LibreOfficeProcessor::show(const QString &flatOdt, const QString &title, QString *error)
{
    const QString soffice = program();
    if (soffice.isEmpty()) {
        if (error)
            *error = QStringLiteral("O LibreOffice não está instalado: não é possível mostrar "
                                    "a carta.");
        return false;
    }
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
    const QString path = lettersFolder() + QLatin1Char('/') + title + QLatin1Char('-') + stamp
                         + QStringLiteral(".fodt");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = QStringLiteral("Não foi possível gravar a carta em \"%1\".").arg(path);
        return false;
    }
    f.write(flatOdt.toUtf8());
    f.close();
    // "-n": a new document from the file, untitled and unsaved.
    if (!QProcess::startDetached(soffice, {QStringLiteral("--writer"), QStringLiteral("-n"),
                                           path})) {
        if (error)
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
    if (!QFileInfo(templatePath).isFile()) {
        m_error = QStringLiteral("Modelo não encontrado: \"%1\".").arg(templatePath);
        return false;
    }
    const QString xml = wordProcessor()->toFlatOdt(templatePath, &m_error);
    if (xml.isEmpty()) {
        if (m_error.isEmpty())
            m_error =
                QStringLiteral("Não foi possível abrir o modelo \"%1\".").arg(templatePath);
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
    return wordProcessor()->show(m_doc.xml(), QFileInfo(m_template).completeBaseName(),
                                 &m_error);
}

} // namespace kq::platform
