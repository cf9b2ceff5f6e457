#pragma once

#include "platform/letters/flatodt.h"

#include <QString>

namespace kq::platform {

// The word processor the letters are filled for: reads a template as Flat
// ODT and shows a filled document as a new, unsaved one. Tests install their
// own, so no word processor ever starts under test.
class WordProcessor
{
public:
    virtual ~WordProcessor() = default;
    // The template as Flat ODT XML; empty text and *error set on failure,
    // empty text and *error empty when the user cancelled.
    virtual QString toFlatOdt(const QString &templatePath, QString *error) = 0;
    // Shows the filled document; false and *error set when it cannot, false
    // and *error empty when the user cancelled.
    virtual bool show(const QString &flatOdt, const QString &title, QString *error) = 0;
};

// LibreOffice with the program's own profile (OfficeProfile). A template that
// is not Flat ODT is converted once by a headless run; the converted copy is
// kept in letterCacheFolder() while the template keeps its size and
// modification time. The filled copy is written to filledLettersFolder() and
// opened in a Writer window as a new, untitled document titled after the
// letter; LibreOffice removes the copy once it has read it.
class LibreOfficeProcessor : public WordProcessor
{
public:
    QString toFlatOdt(const QString &templatePath, QString *error) override;
    bool show(const QString &flatOdt, const QString &title, QString *error) override;

    // The soffice program (from PATH), empty when not installed.
    static QString program();
    // How long a conversion may take, in milliseconds.
    static constexpr int kConvertTimeout = 180000;

private:
    QString convert(const QString &templatePath, QString *error);
};

// The processor in use (LibreOffice unless replaced); nullptr restores it.
WordProcessor *wordProcessor();
void setWordProcessor(WordProcessor *processor);

// True when the text already is a Flat ODT document.
bool isFlatOdt(const QByteArray &head);

// One letter run: the template read and filled in order, then shown.
class LetterDocument
{
public:
    // Reads the template through the word processor; false and
    // errorString() on failure, false and canceled() when the user cancelled.
    bool open(const QString &templatePath);
    // Fills the next occurrence of the placeholder (see FlatOdtDocument).
    bool replaceNext(const QString &placeholder, const QString &value);
    // Hands the filled document to the word processor, under the template's
    // name; false with errorString() or canceled() as open().
    bool show();

    const FlatOdtDocument &document() const { return m_doc; }
    QString errorString() const { return m_error; }
    bool canceled() const { return m_canceled; }

private:
    FlatOdtDocument m_doc;
    QString m_template;
    QString m_error;
    bool m_canceled = false;
};

} // namespace kq::platform
