#pragma once

// The process's memory as /proc tells it, for the benchmark programs. The
// resident size counts the pages of mapped files (the database file SQLite
// reads through its mapping: clean pages of the system's cache) beside the
// program's own memory, so each is told apart.

#include <QByteArray>
#include <QFile>

namespace kq::bench {

// A field of /proc/self/status, kB (0 when it cannot be read).
inline long procKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Resident size, MB.
inline long rssMb()
{
    return procKb("VmRSS:") / 1024;
}
// Highest resident size since the start or the last resetPeak(), MB.
inline long peakMb()
{
    return procKb("VmHWM:") / 1024;
}
// The program's own memory (anonymous pages), MB.
inline long anonMb()
{
    return procKb("RssAnon:") / 1024;
}
// Pages of mapped files, MB.
inline long fileMb()
{
    return procKb("RssFile:") / 1024;
}

// Starts a new peak (peakMb) from the memory held now.
inline void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace kq::bench
