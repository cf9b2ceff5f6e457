#include "platform/letters/templatecache.h"

#include "platform/letters/privatefolders.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kq::platform {

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit();
}

} // namespace

TemplateCache::TemplateCache(const QString &folder)
    : m_folder(folder)
{}

QString TemplateCache::entry(const QString &templatePath) const
{
    const QByteArray path = QFileInfo(templatePath).absoluteFilePath().toUtf8();
    return m_folder + QLatin1Char('/')
           + QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex());
}

QString TemplateCache::key(const QString &templatePath)
{
    const QFileInfo info(templatePath);
    if (!info.isFile())
        return QString();
    return info.absoluteFilePath() + QLatin1Char('\n') + QString::number(info.size())
           + QLatin1Char('\n') + QString::number(info.lastModified().toMSecsSinceEpoch());
}

QString TemplateCache::lookup(const QString &templatePath) const
{
    const QString now = key(templatePath);
    const QString base = entry(templatePath);
    if (now.isEmpty() || QString::fromUtf8(readAll(base + QStringLiteral(".chave"))) != now)
        return QString();
    return QString::fromUtf8(readAll(base + QStringLiteral(".fodt")));
}

bool TemplateCache::store(const QString &templatePath, const QString &flatOdt) const
{
    const QString now = key(templatePath);
    if (now.isEmpty() || flatOdt.isEmpty() || !makePrivateFolder(m_folder))
        return false;
    const QString base = entry(templatePath);
    // The key goes last: a copy cut short is never taken for a valid one.
    QFile::remove(base + QStringLiteral(".chave"));
    return writeAll(base + QStringLiteral(".fodt"), flatOdt.toUtf8())
           && writeAll(base + QStringLiteral(".chave"), now.toUtf8());
}

} // namespace kq::platform
