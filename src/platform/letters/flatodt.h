#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace kq::platform {

// A Flat ODT text document (one XML file) whose body text can be searched
// and filled in place, the rest of the file kept as it was.
// Search runs over the text of each paragraph with its spans flattened, so a
// placeholder split into several runs by the word processor is still found.
// Searches run forward from the end of the previous replacement.
class FlatOdtDocument
{
public:
    // Reads the XML; false (and errorString()) when it is not a Flat ODT
    // text document.
    bool load(const QString &xml);
    QString errorString() const { return m_error; }

    // Finds the next occurrence of `placeholder` (exact characters) from the
    // cursor and replaces it with `value`: XML-escaped, line ends (CR LF, LF
    // or CR) as new paragraphs of the same style, runs of blanks kept. The
    // cursor then stands after the value. Returns false, changing nothing,
    // when there is no further occurrence.
    bool replaceNext(const QString &placeholder, const QString &value);
    // Back to the start of the document.
    void resetCursor();

    // The document as XML.
    QString xml() const;
    // Body text, one line per paragraph (tests, previews).
    QString plainText() const;

private:
    struct Atom
    {
        QChar ch;       // U+FFFC for an element kept as it is
        int style = -1; // index into m_styles, -1 outside any span
        int raw = -1;   // index into m_raw for a kept element
    };
    struct Paragraph
    {
        QString before;   // file text between the previous paragraph and this one
        QString startTag; // "<text:p ...>"
        QString endTag;   // "</text:p>"
        QString source;   // the paragraph as read, written back while untouched
        QVector<Atom> atoms;
        bool touched = false;
    };

    bool parse(const QString &xml);
    QString paragraphXml(const Paragraph &p) const;
    QString text(const Paragraph &p) const;

    QVector<Paragraph> m_paragraphs;
    QString m_tail;
    QStringList m_styles;
    QStringList m_raw;
    QString m_error;
    int m_para = 0;
    int m_offset = 0;
};

} // namespace kq::platform
