#include "shell/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kq::shell {

SingleInstance::SingleInstance(const QString &programFolder)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray id
        = QCryptographicHash::hash(QFileInfo(programFolder).absoluteFilePath().toUtf8(),
                                   QCryptographicHash::Sha1)
              .toHex()
              .left(16);
    m_path = dir + QStringLiteral("/kq-730-") + QString::fromLatin1(id) + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstance::tryAcquire()
{
    if (m_fd >= 0)
        return true;
    const int fd
        = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no place for a lock: do not keep the user out
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace kq::shell
