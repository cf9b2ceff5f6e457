#include "cube/rules/cubefilerules.h"

#include "core/paths.h"

namespace kq::cube {

int saveFlags(bool layoutAndData, bool compress)
{
    return (layoutAndData ? 1 : 0) + (compress ? 2 : 0);
}

QString savePassword(bool requirePassword, const QString &typed)
{
    if (!requirePassword)
        return QString();
    // Blanks only, as the old Trim: a tab typed on purpose stays.
    int begin = 0;
    int end = int(typed.size());
    while (begin < end && typed.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && typed.at(end - 1) == QLatin1Char(' '))
        --end;
    return typed.mid(begin, end - begin);
}

QString passwordPrompt(int tries, int attempts)
{
    return QStringLiteral("Por favor digite a senha correta para abrir esse arquivo.\r\n")
           + QString::number(tries) + QStringLiteral(" of ") + QString::number(attempts)
           + QStringLiteral(" chance(s)...");
}

bool isWebAddress(const QString &path)
{
    return path.contains(QStringLiteral("http://"), Qt::CaseInsensitive);
}

QString unexpectedLoadErrorText(int number, const QString &description)
{
    return QStringLiteral("Erro inesperado \r\n") + QString::number(number) + QStringLiteral("\r\n")
           + description;
}

QString htmlExportFile()
{
    return kq::platform::programFile(QStringLiteral("HtmlExport.htm"));
}

QString excelExportFile()
{
    return kq::platform::programFile(QStringLiteral("ExcelExport.xls"));
}

} // namespace kq::cube
