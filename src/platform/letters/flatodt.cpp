#include "platform/letters/flatodt.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace kq::platform {

namespace {

const QChar kObject(0xFFFC);

bool isParagraph(QStringView name)
{
    return name == u"text:p" || name == u"text:h";
}

// Where the element whose start tag was just read begins: the reader may
// already have taken its "<" while reading the text before it.
qint64 tagStart(const QString &xml, qint64 offset)
{
    if (offset < xml.size() && xml.at(offset) == u'<')
        return offset;
    if (offset > 0 && xml.at(offset - 1) == u'<')
        return offset - 1;
    return xml.indexOf(u'<', offset);
}

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads the inline content of a paragraph or span up to its end tag.
class InlineReader
{
public:
    InlineReader(QXmlStreamReader &r, const QString &xml, QStringList &styles, QStringList &raw)
        : m_r(r)
        , m_xml(xml)
        , m_styles(styles)
        , m_raw(raw)
    {}

    template<typename Atom>
    bool read(QVector<Atom> &atoms, int style)
    {
        while (!m_r.atEnd()) {
            const qint64 start = m_r.characterOffset();
            const auto token = m_r.readNext();
            if (token == QXmlStreamReader::EndElement)
                return true;
            if (token == QXmlStreamReader::Characters) {
                for (const QChar c : m_r.text()) {
                    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                        // Blanks in the file collapse to one, none at the start.
                        if (!m_lastCollapsible)
                            continue;
                        atoms.append(Atom{QChar(u' '), style, -1});
                        m_lastCollapsible = false;
                    } else {
                        atoms.append(Atom{c, style, -1});
                        m_lastCollapsible = true;
                    }
                }
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = m_r.qualifiedName();
            if (name == u"text:span") {
                const QString styleName
                    = m_r.attributes().value(QStringLiteral("text:style-name")).toString();
                int idx = m_styles.indexOf(styleName);
                if (idx < 0) {
                    m_styles << styleName;
                    idx = int(m_styles.size()) - 1;
                }
                if (!read(atoms, idx))
                    return false;
            } else if (name == u"text:s") {
                bool ok = false;
                int count = m_r.attributes().value(QStringLiteral("text:c")).toInt(&ok);
                if (!ok || count < 1)
                    count = 1;
                for (int i = 0; i < count; ++i)
                    atoms.append(Atom{QChar(u' '), style, -1});
                m_lastCollapsible = true;
                m_r.skipCurrentElement();
            } else if (name == u"text:tab" || name == u"text:line-break") {
                atoms.append(Atom{name == u"text:tab" ? QChar(u'\t') : QChar(u'\n'), style, -1});
                m_lastCollapsible = name == u"text:tab";
                m_r.skipCurrentElement();
            } else {
                // Any other element (bookmark, frame, field...) is kept whole.
                const qint64 from = tagStart(m_xml, start);
                m_r.skipCurrentElement();
                m_raw << m_xml.mid(from, m_r.characterOffset() - from);
                atoms.append(Atom{kObject, style, int(m_raw.size()) - 1});
                m_lastCollapsible = true;
            }
        }
        return false;
    }

private:
    QXmlStreamReader &m_r;
    const QString &m_xml;
    QStringList &m_styles;
    QStringList &m_raw;
    bool m_lastCollapsible = false;
};

} // namespace

bool FlatOdtDocument::load(const QString &xml)
{
    m_paragraphs.clear();
    m_tail.clear();
    m_styles.clear();
    m_raw.clear();
    m_error.clear();
    resetCursor();
    if (!parse(xml)) {
        m_paragraphs.clear();
        m_tail.clear();
        return false;
    }
    return true;
}

bool FlatOdtDocument::parse(const QString &xml)
{
    QXmlStreamReader r(xml);
    qint64 lastEnd = 0;
    bool sawDocument = false;
    bool sawText = false;
    int textDepth = 0; // > 0 inside office:text
    while (!r.atEnd()) {
        qint64 start = r.characterOffset();
        const auto token = r.readNext();
        if (token == QXmlStreamReader::StartElement) {
            start = tagStart(xml, start);
            const QStringView name = r.qualifiedName();
            if (name == u"office:document")
                sawDocument = true;
            if (textDepth > 0)
                ++textDepth;
            if (name == u"office:text" && textDepth == 0) {
                textDepth = 1;
                sawText = true;
            }
            if (textDepth > 0 && isParagraph(name)) {
                Paragraph p;
                p.before = xml.mid(lastEnd, start - lastEnd);
                p.startTag = xml.mid(start, r.characterOffset() - start);
                p.endTag = QStringLiteral("</") + name.toString() + QLatin1Char('>');
                if (p.startTag.endsWith(QStringLiteral("/>")))
                    p.startTag = p.startTag.chopped(2).trimmed() + QLatin1Char('>');
                InlineReader reader(r, xml, m_styles, m_raw);
                if (!reader.read(p.atoms, -1))
                    break;
                --textDepth;
                lastEnd = r.characterOffset();
                p.source = xml.mid(start, lastEnd - start);
                m_paragraphs.append(p);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (textDepth > 0)
                --textDepth;
        }
    }
    if (r.hasError()) {
        m_error = QStringLiteral("XML inválido (linha %1): %2")
                      .arg(r.lineNumber())
                      .arg(r.errorString());
        return false;
    }
    if (!sawDocument || !sawText) {
        m_error = QStringLiteral("O arquivo não é um documento de texto ODF plano.");
        return false;
    }
    m_tail = xml.mid(lastEnd);
    return true;
}

void FlatOdtDocument::resetCursor()
{
    m_para = 0;
    m_offset = 0;
}

QString FlatOdtDocument::text(const Paragraph &p) const
{
    QString t;
    t.reserve(p.atoms.size());
    for (const Atom &a : p.atoms)
        t += a.ch;
    return t;
}

bool FlatOdtDocument::replaceNext(const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        return false;
    for (int i = m_para; i < m_paragraphs.size(); ++i) {
        const int from = i == m_para ? m_offset : 0;
        const int at = int(text(m_paragraphs[i]).indexOf(placeholder, from, Qt::CaseSensitive));
        if (at < 0)
            continue;
        Paragraph &p = m_paragraphs[i];
        const int style = p.atoms[at].style;
        p.atoms.remove(at, placeholder.size());
        QString v = value;
        v.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        const QStringList lines = v.split(u'\n');
        auto atomsOf = [style](const QString &line) {
            QVector<Atom> out;
            for (const QChar c : line)
                out.append(Atom{c, style, -1});
            return out;
        };
        const QVector<Atom> rest = p.atoms.mid(at);
        p.atoms.resize(at);
        p.atoms += atomsOf(lines.first());
        p.touched = true;
        static const QRegularExpression xmlId(QStringLiteral("\\s+xml:id=\"[^\"]*\""));
        QString newStart = p.startTag;
        newStart.remove(xmlId);
        int para = i;
        for (int k = 1; k < lines.size(); ++k) {
            Paragraph n;
            n.startTag = newStart;
            n.endTag = m_paragraphs[para].endTag;
            n.atoms = atomsOf(lines[k]);
            n.touched = true;
            m_paragraphs.insert(++para, n);
        }
        Paragraph &last = m_paragraphs[para];
        m_offset = int(last.atoms.size());
        last.atoms += rest;
        m_para = para;
        return true;
    }
    return false;
}

QString FlatOdtDocument::paragraphXml(const Paragraph &p) const
{
    if (!p.touched)
        return p.source;
    QString out = p.startTag;
    int style = -1;
    int pendingBlanks = 0;
    bool afterBlank = true; // a blank at the start of a paragraph would vanish
    auto flush = [&] {
        if (pendingBlanks == 1)
            out += QStringLiteral("<text:s/>");
        else if (pendingBlanks > 1)
            out += QStringLiteral("<text:s text:c=\"%1\"/>").arg(pendingBlanks);
        pendingBlanks = 0;
    };
    for (const Atom &a : p.atoms) {
        if (a.style != style) {
            flush();
            if (style >= 0)
                out += QStringLiteral("</text:span>");
            if (a.style >= 0)
                out += QStringLiteral("<text:span text:style-name=\"%1\">")
                           .arg(escaped(m_styles[a.style]));
            style = a.style;
        }
        if (a.raw >= 0) {
            flush();
            out += m_raw[a.raw];
            afterBlank = false;
        } else if (a.ch == u' ') {
            if (afterBlank) {
                ++pendingBlanks;
            } else {
                out += QLatin1Char(' ');
                afterBlank = true;
            }
        } else {
            flush();
            if (a.ch == u'\t')
                out += QStringLiteral("<text:tab/>");
            else if (a.ch == u'\n')
                out += QStringLiteral("<text:line-break/>");
            else
                out += escaped(QString(a.ch));
            afterBlank = a.ch == u'\n';
        }
    }
    flush();
    if (style >= 0)
        out += QStringLiteral("</text:span>");
    return out + p.endTag;
}

QString FlatOdtDocument::xml() const
{
    QString out;
    for (const Paragraph &p : m_paragraphs)
        out += p.before + paragraphXml(p);
    return out + m_tail;
}

QString FlatOdtDocument::plainText() const
{
    QStringList lines;
    for (const Paragraph &p : m_paragraphs)
        lines << text(p).remove(kObject);
    return lines.join(u'\n');
}

} // namespace kq::platform
