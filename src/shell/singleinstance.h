#pragma once

#include <QString>

namespace kq::shell {

// The previous-instance test: one copy per program folder. The lock is an
// advisory file lock that the kernel drops when the process ends, also
// after a crash, so a dead copy never blocks a new start.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &programFolder);
    ~SingleInstance();

    // True when no other copy holds the lock (this copy then holds it).
    bool tryAcquire();
    QString lockPath() const { return m_path; }

    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

private:
    QString m_path;
    int m_fd = -1;
};

} // namespace kq::shell
