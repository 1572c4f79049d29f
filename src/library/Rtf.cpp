#include "Rtf.h"

#include <QColor>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cctype>
#include <vector>

namespace kestrova::rtf {

namespace {

void Escape(QByteArray& out, const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == 0x2028 || u == '\n') {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x80) {
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
}

QString Family(const QTextCharFormat& f, const QFont& fallback) {
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? fallback.family() : families.first();
}

} // namespace

QByteArray Write(const QTextDocument& document) {
    const QFont base = document.defaultFont();
    QStringList fonts{base.family()};
    std::vector<QColor> colors;
    auto fontIndex = [&](const QString& family) {
        qsizetype i = fonts.indexOf(family);
        if (i < 0) {
            fonts << family;
            i = fonts.size() - 1;
        }
        return int(i);
    };
    auto colorIndex = [&](const QColor& c) {
        for (size_t i = 0; i < colors.size(); ++i)
            if (colors[i] == c) return int(i) + 1;
        colors.push_back(c);
        return int(colors.size());
    };
    QByteArray body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        body += "\\pard";
        const Qt::Alignment align = block.blockFormat().alignment();
        if (align & Qt::AlignHCenter)
            body += "\\qc";
        else if (align & Qt::AlignRight)
            body += "\\qr";
        else if (align & Qt::AlignJustify)
            body += "\\qj";
        else
            body += "\\ql";
        if (block.textList())
            body += "{\\pntext\\bullet\\tab}{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb\\bullet}}"
                    "\\fi-360\\li360";
        body += ' ';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat f = fragment.charFormat();
            body += "{\\f" + QByteArray::number(fontIndex(Family(f, base)));
            const double points = f.fontPointSize() > 0 ? f.fontPointSize() : base.pointSizeF();
            body += "\\fs" + QByteArray::number(qRound(points * 2));
            if (f.fontWeight() >= QFont::Bold) body += "\\b";
            if (f.fontItalic()) body += "\\i";
            if (f.fontUnderline()) body += "\\ul";
            if (f.fontStrikeOut()) body += "\\strike";
            if (f.foreground().style() != Qt::NoBrush)
                body += "\\cf" + QByteArray::number(colorIndex(f.foreground().color()));
            body += ' ';
            Escape(body, fragment.text());
            body += '}';
        }
        body += "\\par\r\n";
    }
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil ";
        Escape(out, fonts[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (const QColor& c : colors)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) +
               "\\blue" + QByteArray::number(c.blue()) + ';';
    out += "}\r\n\\viewkind4" + body + "}\r\n";
    return out;
}

namespace {

struct CharState {
    int font = -1;
    int halfPoints = 0;
    bool bold = false, italic = false, underline = false, strike = false;
    int color = 0;
    int uc = 1;
    enum Dest { Text, Skip, FontTable, ColorTable, BulletText } dest = Text;
};

class CReader {
public:
    CReader(const QByteArray& bytes, QTextDocument& doc)
        : m_in(bytes), m_doc(doc), m_cursor(&doc) {}

    bool Run() {
        if (!m_in.startsWith("{\\rtf")) return false;
        m_doc.clear();
        m_cursor = QTextCursor(&m_doc);
        m_stack.push_back(CharState{});
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                m_stack.push_back(m_stack.back());
                m_groupStart = true;
            } else if (c == '}') {
                Flush();
                if (m_stack.back().dest == CharState::FontTable && !m_fontName.isEmpty()) EndFont();
                if (m_stack.size() > 1) m_stack.pop_back();
                m_groupStart = false;
            } else if (c == '\\') {
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                Char(QChar::fromLatin1(c), true);
            }
        }
        Flush();
        // The final \par ends the last paragraph; it does not open another one.
        if (!m_paragraphStarted && m_doc.blockCount() > 1 && m_cursor.block().text().isEmpty()) {
            m_cursor.movePosition(QTextCursor::End);
            m_cursor.deletePreviousChar();
        }
        return true;
    }

private:
    CharState& S() { return m_stack.back(); }

    void Char(QChar c, bool byte) {
        m_groupStart = false;
        switch (S().dest) {
        case CharState::Skip:
            return;
        case CharState::BulletText:
            m_bullet = true;
            return;
        case CharState::FontTable:
            if (c == ';')
                EndFont();
            else
                m_fontName += c;
            return;
        case CharState::ColorTable:
            if (c == ';') {
                m_colors.push_back(QColor(m_red, m_green, m_blue));
                m_red = m_green = m_blue = 0;
            }
            return;
        case CharState::Text:
            break;
        }
        if (byte && c.unicode() >= 0x80) {
            m_bytes += char(c.unicode());
            return;
        }
        FlushBytes();
        m_text += c;
    }

    void EndFont() {
        m_fonts[m_fontIndex] = m_fontName.trimmed();
        m_fontName.clear();
    }

    void FlushBytes() {
        if (m_bytes.isEmpty()) return;
        QStringDecoder decoder(m_codepage == 936
                                   ? "GB18030"
                                   : QByteArray("windows-") + QByteArray::number(m_codepage));
        m_text += decoder.isValid() ? QString(decoder(m_bytes)) : QString::fromLatin1(m_bytes);
        m_bytes.clear();
    }

    QTextCharFormat Format() const {
        const CharState& s = m_stack.back();
        QTextCharFormat f;
        const QString family = m_fonts.value(s.font < 0 ? m_defaultFont : s.font);
        if (!family.isEmpty()) f.setFontFamilies({family});
        if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        f.setFontStrikeOut(s.strike);
        // Entry 0 of the colour table is the automatic colour.
        if (s.color > 0 && s.color < int(m_colors.size()))
            f.setForeground(m_colors[size_t(s.color)]);
        return f;
    }

    void Flush() {
        FlushBytes();
        if (m_text.isEmpty()) return;
        if (!m_paragraphStarted) StartParagraph();
        m_cursor.insertText(m_text, Format());
        m_text.clear();
    }

    void StartParagraph() {
        m_paragraphStarted = true;
        QTextBlockFormat block = m_cursor.blockFormat();
        block.setAlignment(m_align);
        m_cursor.setBlockFormat(block);
        if (m_bullet) {
            if (QTextList* list = m_lastList) {
                list->add(m_cursor.block());
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                m_lastList = m_cursor.createList(lf);
            }
        } else {
            m_lastList = nullptr;
        }
    }

    void EndParagraph() {
        Flush();
        if (!m_paragraphStarted) StartParagraph();
        m_cursor.insertBlock();
        m_paragraphStarted = false;
        if (QTextList* list = m_cursor.currentList()) list->remove(m_cursor.block());
        QTextBlockFormat plain;
        m_cursor.setBlockFormat(plain);
    }

    void ControlWord() {
        if (m_pos >= m_in.size()) return;
        const char c = m_in[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            if (c == '\'') {
                if (m_pos + 2 <= m_in.size()) {
                    bool ok = false;
                    const int v = m_in.mid(m_pos, 2).toInt(&ok, 16);
                    m_pos += 2;
                    if (ok && m_skipChars > 0) {
                        --m_skipChars;
                    } else if (ok) {
                        Char(QChar::fromLatin1(char(v)), true);
                    }
                }
            } else if (c == '*') {
                S().dest = CharState::Skip;
            } else if (c == '~') {
                Char(QChar(0x00A0), false);
            } else if (c == '\\' || c == '{' || c == '}') {
                Char(QChar::fromLatin1(c), false);
            } else if (c == '\n' || c == '\r') {
                EndParagraph();
            }
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])))
            ++m_pos;
        const QByteArray word = m_in.mid(start, m_pos - start);
        bool hasParam = false;
        int param = 0;
        const qsizetype numStart = m_pos;
        if (m_pos < m_in.size() &&
            (m_in[m_pos] == '-' || std::isdigit(static_cast<unsigned char>(m_in[m_pos])))) {
            ++m_pos;
            while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])) &&
                   m_pos - numStart < 10)
                ++m_pos;
            param = m_in.mid(numStart, m_pos - numStart).toInt(&hasParam);
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        Word(word, hasParam, param, groupStart);
    }

    void Word(const QByteArray& w, bool hasParam, int p, bool groupStart) {
        CharState& s = S();
        const bool on = !hasParam || p != 0;
        static const char* skip[] = {"stylesheet",
                                     "info",
                                     "pict",
                                     "object",
                                     "header",
                                     "footer",
                                     "footnote",
                                     "headerl",
                                     "headerr",
                                     "footerl",
                                     "footerr",
                                     "listtable",
                                     "listoverridetable",
                                     "rsidtbl",
                                     "generator",
                                     "themedata",
                                     "colorschememapping",
                                     "latentstyles",
                                     "datastore",
                                     "xmlnstbl",
                                     "fldinst",
                                     "revtbl",
                                     "filetbl",
                                     "pgdsctbl",
                                     "bkmkstart",
                                     "bkmkend",
                                     "author",
                                     "operator",
                                     "title",
                                     "company",
                                     "mmathPr",
                                     "shppict",
                                     "nonshppict"};
        if (groupStart || s.dest != CharState::Text) {
            for (const char* d : skip)
                if (w == d) {
                    Flush();
                    s.dest = CharState::Skip;
                    return;
                }
        }
        if (s.dest == CharState::Skip) return;
        if (w == "fonttbl") {
            Flush();
            s.dest = CharState::FontTable;
            return;
        }
        if (w == "colortbl") {
            Flush();
            s.dest = CharState::ColorTable;
            return;
        }
        if (w == "pntext" || w == "listtext") {
            Flush();
            s.dest = CharState::BulletText;
            m_bullet = true;
            return;
        }
        if (s.dest == CharState::FontTable) {
            if (w == "f") m_fontIndex = p;
            return;
        }
        if (s.dest == CharState::ColorTable) {
            if (w == "red")
                m_red = p;
            else if (w == "green")
                m_green = p;
            else if (w == "blue")
                m_blue = p;
            return;
        }
        if (s.dest == CharState::BulletText) return;
        if (w == "bin" && hasParam) {
            m_pos += std::max(p, 0);
            return;
        }
        if (w == "u" && hasParam) {
            Char(QChar(char16_t(p < 0 ? p + 65536 : p)), false);
            m_skipChars = s.uc;
            SkipFallback();
            return;
        }
        // Formatting changes end the run of text written so far.
        Flush();
        if (w == "par" || w == "sect")
            EndParagraph();
        else if (w == "line")
            Char(QChar(0x2028), false);
        else if (w == "tab")
            Char('\t', false);
        else if (w == "pard") {
            m_align = Qt::AlignLeft;
            m_bullet = false;
        } else if (w == "plain") {
            const int uc = s.uc;
            s = CharState{};
            s.uc = uc;
        } else if (w == "ql")
            m_align = Qt::AlignLeft;
        else if (w == "qc")
            m_align = Qt::AlignHCenter;
        else if (w == "qr")
            m_align = Qt::AlignRight;
        else if (w == "qj")
            m_align = Qt::AlignJustify;
        else if (w == "b")
            s.bold = on;
        else if (w == "i")
            s.italic = on;
        else if (w == "ul")
            s.underline = on;
        else if (w == "ulnone")
            s.underline = false;
        else if (w == "strike")
            s.strike = on;
        else if (w == "f")
            s.font = p;
        else if (w == "fs")
            s.halfPoints = p;
        else if (w == "cf")
            s.color = p;
        else if (w == "uc")
            s.uc = std::clamp(p, 0, 4);
        else if (w == "deff")
            m_defaultFont = p;
        else if (w == "ansicpg")
            m_codepage = p;
        else if (w == "bullet")
            Char(QChar(0x2022), false);
        else if (w == "emdash")
            Char(QChar(0x2014), false);
        else if (w == "endash")
            Char(QChar(0x2013), false);
        else if (w == "lquote")
            Char(QChar(0x2018), false);
        else if (w == "rquote")
            Char(QChar(0x2019), false);
        else if (w == "ldblquote")
            Char(QChar(0x201C), false);
        else if (w == "rdblquote")
            Char(QChar(0x201D), false);
        else if (w == "pn") {
            m_bullet = true;
            s.dest = CharState::Skip;
        }
    }

    // The fallback characters after \uN: plain characters or \'hh escapes.
    void SkipFallback() {
        while (m_skipChars > 0 && m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{' || c == '}') break;
            if (c == '\\') {
                if (m_pos + 1 < m_in.size() && m_in[m_pos + 1] == '\'') {
                    m_pos += 4;
                    --m_skipChars;
                    continue;
                }
                break;
            }
            ++m_pos;
            --m_skipChars;
        }
        m_skipChars = 0;
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<CharState> m_stack;
    QHash<int, QString> m_fonts;
    QString m_fontName;
    int m_fontIndex = 0;
    int m_defaultFont = 0;
    std::vector<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    int m_codepage = 1252;
    int m_skipChars = 0;
    QString m_text;
    QByteArray m_bytes;
    Qt::Alignment m_align = Qt::AlignLeft;
    bool m_bullet = false;
    bool m_paragraphStarted = false;
    bool m_groupStart = false;
    QTextList* m_lastList = nullptr;
};

} // namespace

bool Read(const QByteArray& bytes, QTextDocument& document) {
    CReader reader(bytes, document);
    return reader.Run();
}

} // namespace kestrova::rtf
