#include "core/paths.h"

#include <QCoreApplication>

#include <pwd.h>
#include <unistd.h>

namespace kq::platform {

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &dir)
{
    overrideFolder() = dir;
}

QString programFile(const QString &name)
{
    return programFolder() + QLatin1Char('/') + name;
}

QString executableBaseName()
{
    return QStringLiteral("kq-730");
}

QString versionText()
{
    QString v = QCoreApplication::applicationVersion();
    if (v.isEmpty())
        v = QStringLiteral("1.0.0");
    const QStringList parts = v.split(QLatin1Char('.'));
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << QString::number(i < parts.size() ? parts.at(i).toInt() : 0);
    return out.join(QLatin1Char('.'));
}

QString accountName()
{
    if (const passwd *pw = getpwuid(getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace kq::platform
