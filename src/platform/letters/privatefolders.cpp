#include "platform/letters/privatefolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace kq::platform {

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

const QString kProgram = QStringLiteral("/kq-730");

int openFolder(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// The folders of the letters this copy of the program wrote, each held under
// a lock (flock) that the system lets go of when the copy ends.
struct HeldFolder
{
    QString path;
    int fd;
};

std::vector<HeldFolder> &heldFolders()
{
    static std::vector<HeldFolder> held;
    return held;
}

void hold(const QString &folder)
{
    // Those the word processor has removed, once it read their letter, go.
    auto &held = heldFolders();
    std::erase_if(held, [](const HeldFolder &h) {
        if (QFileInfo::exists(h.path))
            return false;
        ::close(h.fd);
        return true;
    });
    const int fd = openFolder(folder);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        held.push_back({folder, fd});
    else
        ::close(fd);
}

// A folder whose letter a running copy (this one included) has not yet seen
// read by the word processor.
bool heldByARunningCopy(const QString &folder)
{
    const int fd = openFolder(folder);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

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
    hold(own.path());
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
        if (entry.isDir() && !entry.isSymLink()) {
            if (!heldByARunningCopy(entry.absoluteFilePath()))
                QDir(entry.absoluteFilePath()).removeRecursively();
        } else {
            QFile::remove(entry.absoluteFilePath());
        }
    }
}

} // namespace kq::platform
