#include "import/folderimport.h"

#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/schema.h"
#include "data/shippedfiles.h"
#include "import/importerror.h"
#include "import/jetfile.h"
#include "platform/progress.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace kq::import {

namespace {

QByteArray checksum(const QString &path)
{
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        throw ImportError(QStringLiteral("O arquivo %1 não pôde ser lido.").arg(path));
    return hash.result();
}

QSet<QString> entries(const QString &dir)
{
    const QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                  | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}

// A name in the folder that nothing holds yet: base, base-2, base-3...
QString freeName(const QString &dir, const QString &base)
{
    QString name = base;
    for (int n = 2; QFileInfo::exists(kq::data::dataFile(dir, name)); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return kq::data::dataFile(dir, name);
}

// What the import changed so far, to put the folder back as it was.
class Undo
{
public:
    explicit Undo(const QString &dir)
        : m_dir(dir)
        , m_before(entries(dir))
    {}
    ~Undo()
    {
        if (!m_kept)
            rollback();
    }
    void created(const QString &path) { m_created.prepend(path); }
    void moved(const QString &from, const QString &to) { m_moved.prepend({from, to}); }
    void madeFolder(const QString &path) { m_folder = path; }
    // Files that appeared in the folder and were not there before.
    void newEntries()
    {
        for (const QString &name : entries(m_dir) - m_before) {
            const QString path = kq::data::dataFile(m_dir, name);
            if (QFileInfo(path).isFile() && !m_created.contains(path))
                created(path);
        }
    }
    void keep() { m_kept = true; }

private:
    void rollback()
    {
        for (const QString &path : std::as_const(m_created))
            QFile::remove(path);
        for (const auto &[from, to] : std::as_const(m_moved))
            if (!QFile::rename(to, from) && QFile::copy(to, from))
                QFile::remove(to);
        if (!m_folder.isEmpty())
            QDir().rmdir(m_folder);
    }

    QString m_dir;
    QSet<QString> m_before;
    QStringList m_created;
    QList<QPair<QString, QString>> m_moved;
    QString m_folder;
    bool m_kept = false;
};

// Moves a file and checks that the moved file has the same bytes.
void moveKeepingBytes(const QString &from, const QString &to, Undo &undo)
{
    const QByteArray before = checksum(from);
    if (!QFile::rename(from, to)) {
        if (!QFile::copy(from, to))
            throw ImportError(
                QStringLiteral("O arquivo %1 não pôde ser guardado em %2.").arg(from, to));
        if (checksum(to) != before || !QFile::remove(from)) {
            QFile::remove(to);
            throw ImportError(
                QStringLiteral("A cópia de %1 em %2 não confere com o original.").arg(from, to));
        }
    }
    undo.moved(from, to);
    if (checksum(to) != before)
        throw ImportError(QStringLiteral("O arquivo %1 guardado em %2 não confere com o original.")
                              .arg(from, to));
}

// The databases that are neither of the program nor Access stop the import
// before anything is changed, as a new data folder would stop.
void checkOtherDatabases(const QString &dir, const QList<AccessFile> &access)
{
    QSet<QString> imported;
    for (const AccessFile &f : access)
        imported.insert(f.name);
    for (const QString &name : kq::data::databaseFileNames()) {
        const QString path = kq::data::dataFile(dir, name);
        if (imported.contains(name) || !QFileInfo::exists(path))
            continue;
        if (!QFileInfo(path).isFile() || !kq::data::isSqliteFile(path))
            throw ImportError(QStringLiteral("O arquivo %1 não é um banco de dados do sistema "
                                             "(SQLite 3) nem do Access.")
                                  .arg(path));
    }
}

// A file of another application: an Access database with none of the
// tables of the program's database it is named after.
void checkHoldsProgramTables(const SourceDatabase &source, const AccessFile &file)
{
    if (matchedTables(source, file.name).isEmpty())
        throw ImportError(QStringLiteral("O arquivo %1 não é um banco de dados deste sistema: "
                                         "não tem nenhuma das tabelas de %2.")
                              .arg(QFileInfo(file.path).fileName(), file.name));
}

QString rows(qint64 n)
{
    return n == 1 ? QStringLiteral("1 registro")
                  : QStringLiteral("%1 registros").arg(QLocale().toString(n));
}

} // namespace

QList<AccessFile> accessFiles(const QString &dir)
{
    QList<AccessFile> found;
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : kq::data::databaseFileNames()) {
        const QString exact = kq::data::dataFile(dir, name);
        if (QFileInfo(exact).isFile() && kq::data::isSqliteFile(exact))
            continue;
        QStringList candidates;
        if (files.contains(name))
            candidates << name;
        for (const QString &f : files)
            if (f != name && f.compare(name, Qt::CaseInsensitive) == 0)
                candidates << f;
        for (const QString &f : std::as_const(candidates)) {
            const QString path = kq::data::dataFile(dir, f);
            if (accessFormat(path) != AccessFormat::NotAccess) {
                found.append({name, path});
                break;
            }
        }
    }
    return found;
}

QStringList removeImportLeftovers(const QString &dir)
{
    QStringList removed;
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : kq::data::databaseFileNames()) {
        const QString base = name + kBuildingSuffix;
        for (const QString &f : files) {
            // base, base-2, base-3... as freeName() names them.
            bool numbered = false;
            if (f.startsWith(base + QLatin1Char('-')))
                numbered = f.mid(base.size() + 1).toUInt(&numbered) >= 2 && numbered;
            if ((f == base || numbered) && QFile::remove(kq::data::dataFile(dir, f)))
                removed << f;
        }
    }
    return removed;
}

FolderReport importFolder(const QString &dir, const SourceOpener &open,
                          const ImportOptions &options, kq::platform::Progress *progress)
{
    // A new database an import stopped midway (the program killed) left.
    removeImportLeftovers(dir);
    const QList<AccessFile> files = accessFiles(dir);
    if (files.isEmpty())
        throw ImportError(QStringLiteral("A pasta %1 não tem bancos do Access com os nomes do "
                                         "sistema (%2).")
                              .arg(dir, kq::data::databaseFileNames().join(QStringLiteral(", "))));
    for (const AccessFile &f : files)
        checkJetFile(f.path);
    checkOtherDatabases(dir, files);

    std::vector<std::unique_ptr<SourceDatabase>> sources;
    qint64 total = 0;
    for (const AccessFile &f : files) {
        sources.push_back(open(f.path));
        checkHoldsProgramTables(*sources.back(), f);
        total += rowsToImport(*sources.back(), f.name);
    }

    ImportProgress rows(progress);
    rows.start(kImportingLabel, total);
    Undo undo(dir);
    FolderReport report;
    QStringList built;
    for (size_t i = 0; i < sources.size(); ++i) {
        const QString temp = freeName(dir, files[int(i)].name + kBuildingSuffix);
        undo.created(temp);
        report.databases.append(
            importDatabase(*sources[i], files[int(i)].name, temp, options, rows));
        built << temp;
    }
    sources.clear();
    rows.report();

    report.keptIn = freeName(dir, kOriginalsFolder);
    if (!QDir().mkdir(report.keptIn))
        throw ImportError(QStringLiteral("A pasta %1 não pôde ser criada.").arg(report.keptIn));
    undo.madeFolder(report.keptIn);
    for (const AccessFile &f : files)
        moveKeepingBytes(f.path, report.keptIn + QLatin1Char('/') + QFileInfo(f.path).fileName(),
                         undo);
    for (int i = 0; i < files.size(); ++i) {
        const QString target = kq::data::dataFile(dir, files[i].name);
        if (!QFile::rename(built[i], target))
            throw ImportError(QStringLiteral("O banco novo %1 não pôde ser gravado.").arg(target));
        undo.created(target);
    }
    try {
        // The rest of a data folder: the databases the old folder lacked, and
        // the default reports and letter templates it does not have.
        kq::data::prepareDataFolder(dir);
        kq::data::writeShippedFiles(dir);
    } catch (const kq::data::DataError &e) {
        undo.newEntries();
        throw ImportError(e.description());
    }
    undo.newEntries();
    undo.keep();
    return report;
}

QStringList importSummary(const FolderReport &report)
{
    QStringList lines;
    lines << QStringLiteral("Importação concluída. Os arquivos antigos foram guardados, sem "
                            "alteração, na pasta %1.")
                 .arg(report.keptIn);
    for (const DatabaseReport &db : report.databases) {
        lines << QString() << db.fileName + QLatin1Char(':');
        for (const TableCount &t : db.tables)
            lines << QStringLiteral("  %1: %2").arg(t.table, rows(t.rows));
        const auto list = [&lines](const QString &what, const QStringList &items) {
            if (!items.isEmpty())
                lines << QStringLiteral("  %1: %2").arg(what, items.join(QStringLiteral(", ")));
        };
        list(QStringLiteral("Tabelas que o arquivo antigo não tinha (criadas vazias)"),
             db.missingTables);
        list(QStringLiteral("Campos que o arquivo antigo não tinha (ficaram vazios)"),
             db.missingColumns);
        list(QStringLiteral("Tabelas deixadas de fora"), db.extraTables);
        list(QStringLiteral("Campos deixados de fora"), db.extraColumns);
    }
    return lines;
}

} // namespace kq::import
