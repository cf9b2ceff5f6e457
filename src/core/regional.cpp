#include "core/regional.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kq::platform {

QLocale brazilianLocale()
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

bool useBrazilianSettings(QCoreApplication &app)
{
    QLocale::setDefault(brazilianLocale());
    // Loaded once per application, whatever the number of calls.
    if (app.findChild<QTranslator *>(QStringLiteral("kqQtTranslator")))
        return true;
    auto *qt = new QTranslator(&app);
    qt->setObjectName(QStringLiteral("kqQtTranslator"));
    // "qt" is Qt's catalogue of catalogues: qtbase, qtmultimedia...
    if (!qt->load(brazilianLocale(), QStringLiteral("qt"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return app.installTranslator(qt);
}

} // namespace kq::platform
