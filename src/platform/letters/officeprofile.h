#pragma once

#include <QString>
#include <QStringList>

namespace kq::platform {

// How a run of LibreOffice ended.
enum class OfficeRun { Finished, Failed, Canceled };

// Runs LibreOffice with the arguments and waits for it, the screen kept
// responsive: a progress with the label and a cancel shows when it lasts
// longer than about half a second. A cancelled or overdue run is ended.
OfficeRun runOffice(const QString &program, const QStringList &arguments, const QString &label,
                    int timeoutMs);

// The program's own LibreOffice profile, in letterCacheFolder(): Brazilian
// Portuguese interface and spelling, no tip of the day, and the macro that
// opens a filled copy as a new document named after its file and then
// removes the file.
class OfficeProfile
{
public:
    static QString folder();
    // "-env:UserInstallation=<url of folder()>".
    static QString argument();
    // The macro call that opens the filled copy at `path` (a file "<title>.fodt").
    static QString openMacro(const QString &path);

    // Makes the profile ready (the first time LibreOffice sets it up, which
    // takes a few seconds). False with *error set on failure; false with
    // *error empty when the user cancelled.
    static bool prepare(const QString &program, QString *error);
};

} // namespace kq::platform
