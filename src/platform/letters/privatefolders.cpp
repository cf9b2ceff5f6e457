#include "platform/letters/privatefolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace kq::platform {

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

const QString kProgram = QStringLiteral("/kq-730");

} // namespace

bool makePrivateFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The levels still missing, from the top down.
    QStringList missing;
    for (QString p = clean; !p.isEmpty() && !QFileInfo::exists(p);
         p = QFileInfo(p).absolutePath()) {
        missing.prepend(p);
        if (p == QFileInfo(p).absolutePath())
            break;
    }
    for (const QString &p : missing) {
        if (!QDir().mkdir(p) && !QFileInfo(p).isDir())
            return false;
        QFile::setPermissions(p, kOwnerOnly);
    }
    return QFileInfo(clean).isDir() && QFile::setPermissions(clean, kOwnerOnly);
}

QString letterCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + kProgram;
}

QString filledLettersFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base + kProgram + QStringLiteral("/cartas");
}

QString newFilledLetterPath(const QString &title)
{
    const QString folder = filledLettersFolder();
    if (!makePrivateFolder(QFileInfo(folder).absolutePath()) || !makePrivateFolder(folder))
        return QString();
    // Two letters from one template at once each get a folder of their own.
    QTemporaryDir own(folder + QStringLiteral("/XXXXXX"));
    if (!own.isValid())
        return QString();
    own.setAutoRemove(false);
    return own.filePath(title + QStringLiteral(".fodt"));
}

void removeFilledLetters()
{
    QDir folder(filledLettersFolder());
    if (!folder.exists())
        return;
    const QFileInfoList left = folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                    | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : left) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
}

} // namespace kq::platform
