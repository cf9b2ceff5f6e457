#pragma once

#include <QString>

namespace kq::platform {

// Converted copies of the letter templates, one per template path, each
// valid while its template keeps the size and modification time it had when
// it was converted.
class TemplateCache
{
public:
    explicit TemplateCache(const QString &folder);

    // The converted copy of the template as it is now; empty when there is
    // none or the template has changed since.
    QString lookup(const QString &templatePath) const;
    // Keeps the converted copy of the template as it is now; false when it
    // cannot be written.
    bool store(const QString &templatePath, const QString &flatOdt) const;

private:
    QString entry(const QString &templatePath) const;
    static QString key(const QString &templatePath);

    QString m_folder;
};

} // namespace kq::platform
