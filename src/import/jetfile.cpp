#include "import/jetfile.h"

#include "import/importerror.h"

#include <QFile>
#include <QFileInfo>

namespace kq::import {

namespace {

constexpr qint64 kHeaderSize = 0x80;
// The database's first page, its free-space page and the page of its catalog.
constexpr qint64 kFewestPages = 3;

QString shownName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

AccessFormat accessFormat(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return AccessFormat::NotAccess;
    const QByteArray head = f.read(0x15);
    if (head.size() < 0x15 || !head.startsWith(QByteArray("\x00\x01\x00\x00", 4)))
        return AccessFormat::NotAccess;
    const QByteArray kind = head.mid(4, 16);
    if (kind == QByteArray("Standard ACE DB\0", 16))
        return AccessFormat::Newer;
    if (kind != QByteArray("Standard Jet DB\0", 16))
        return AccessFormat::NotAccess;
    switch (quint8(head.at(0x14))) {
    case 0:
        return AccessFormat::Jet3;
    case 1:
        return AccessFormat::Jet4;
    default:
        return AccessFormat::Newer;
    }
}

void checkJetFile(const QString &path)
{
    const QString name = shownName(path);
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw ImportError(QStringLiteral("O arquivo %1 não pôde ser lido.").arg(name));
    const AccessFormat format = accessFormat(path);
    if (format == AccessFormat::NotAccess)
        throw ImportError(
            QStringLiteral("O arquivo %1 não é um banco de dados do Access.").arg(name));
    if (format == AccessFormat::Newer)
        throw ImportError(QStringLiteral("O arquivo %1 é de uma versão mais nova do Access "
                                         "(\".accdb\"), que o sistema não importa. Salve-o "
                                         "no Access no formato 2002-2003 (\".mdb\") e tente "
                                         "de novo.")
                              .arg(name));
    const qint64 page = format == AccessFormat::Jet3 ? 2048 : 4096;
    if (info.size() < qMax(kHeaderSize, kFewestPages * page) || info.size() % page != 0)
        throw ImportError(QStringLiteral("O arquivo %1 está incompleto ou danificado (seu "
                                         "tamanho não é de um banco do Access inteiro).")
                              .arg(name));
}

} // namespace kq::import
