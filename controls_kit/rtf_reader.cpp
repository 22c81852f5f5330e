#include "rtf_reader.h"

#include "kit_logging.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Code page 1252 differs from Latin-1 in 0x80..0x9F; the holes map to the replacement character.
constexpr char16_t Cp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                     0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2014, 0x2013,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar fromCp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(Cp1252High[byte - 0x80]);
    return QChar(char16_t(byte));
}

// The control words that stand for one character, or none.
std::optional<QChar> symbolOf(const QByteArray &word)
{
    static const struct
    {
        const char *word;
        char16_t character;
    } symbols[] = {{"line", QChar::LineSeparator},
                   {"tab", u'\t'},
                   {"emdash", 0x2014},
                   {"endash", 0x2013},
                   {"bullet", 0x2022},
                   {"lquote", 0x2018},
                   {"rquote", 0x2019},
                   {"ldblquote", 0x201C},
                   {"rdblquote", 0x201D}};
    for (const auto &symbol : symbols) {
        if (word == symbol.word)
            return QChar(symbol.character);
    }
    return std::nullopt;
}

// Destinations whose text is not part of the document.
bool isSkippedDestination(const QByteArray &word)
{
    static const char *const names[] = {"info",
                                        "stylesheet",
                                        "pict",
                                        "object",
                                        "header",
                                        "headerl",
                                        "headerr",
                                        "headerf",
                                        "footer",
                                        "footerl",
                                        "footerr",
                                        "footerf",
                                        "footnote",
                                        "annotation",
                                        "themedata",
                                        "latentstyles",
                                        "colorschememapping",
                                        "datastore",
                                        "listtable",
                                        "listoverridetable",
                                        "rsidtbl",
                                        "generator",
                                        "xmlnstbl",
                                        "mmathPr",
                                        "fldinst",
                                        "bkmkstart",
                                        "bkmkend",
                                        "atnid",
                                        "atnauthor",
                                        "filetbl",
                                        "revtbl",
                                        "userprops",
                                        "nonshppict",
                                        "shppict",
                                        "template"};
    return std::any_of(std::begin(names), std::end(names), [&word](const char *n) { return word == n; });
}

enum class Destination { Text, FontTable, ColorTable, Skip };

struct GroupState
{
    QTextCharFormat format;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // characters that stand in for each \uN
};

class Reader
{
public:
    Reader(const QByteArray &rtf, QTextDocument *doc)
        : m_in(rtf)
        , m_cursor(doc)
    {
        m_stack.push_back(GroupState());
    }

    void run()
    {
        const int n = int(m_in.size());
        while (m_pos < n && !m_finished) {
            const unsigned char c = static_cast<unsigned char>(m_in.at(m_pos++));
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break; // line breaks of the file are not text
            default:
                character(fromCp1252(c));
                break;
            }
        }
        flush();
    }

private:
    GroupState &state() { return m_stack.back(); }

    void openGroup()
    {
        m_pendingSkip = 0;
        if (int(m_stack.size()) > RtfReader::MaxDepth) {
            ++m_overflow; // too deep: counted for the matching brace, formatting stays
            return;
        }
        m_stack.push_back(m_stack.back());
    }

    void closeGroup()
    {
        m_pendingSkip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1) {
            m_finished = true; // a brace beyond the document's own group
            return;
        }
        const GroupState closed = m_stack.back();
        if (closed.destination == Destination::FontTable)
            storeFontName();
        m_stack.pop_back();
        if (closed.destination == Destination::FontTable && state().destination != Destination::FontTable)
            applyDefaultFont();
        if (m_stack.size() == 1)
            m_finished = true; // the document's group has ended
    }

    // Reads the control word or symbol after a backslash.
    void controlSequence()
    {
        const int n = int(m_in.size());
        if (m_pos >= n)
            return;
        const char c = m_in.at(m_pos);
        if (!isLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const int start = m_pos;
        while (m_pos < n && isLetter(m_in.at(m_pos)))
            ++m_pos;
        const QByteArray word = m_in.mid(start, std::min(m_pos - start, 32));
        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (m_pos < n && m_in.at(m_pos) == '-' && m_pos + 1 < n && isDigit(m_in.at(m_pos + 1))) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < n && isDigit(m_in.at(m_pos))) {
            hasParam = true;
            if (param < 100000000000LL)
                param = param * 10 + (m_in.at(m_pos) - '0');
            ++m_pos;
        }
        if (m_pos < n && m_in.at(m_pos) == ' ')
            ++m_pos; // the delimiting space belongs to the word
        if (negative)
            param = -param;
        controlWord(word, hasParam, int(std::clamp<qint64>(param, INT_MIN, INT_MAX)));
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(QChar(char16_t(c)));
            break;
        case '\'':
            hexCharacter();
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '*':
            state().destination = Destination::Skip;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            consumeSkipped(); // \- and unknown symbols
            break;
        }
    }

    void hexCharacter()
    {
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < int(m_in.size())) {
            const int d = hexDigit(m_in.at(m_pos));
            if (d < 0)
                break;
            value = value * 16 + d;
            ++digits;
            ++m_pos;
        }
        if (digits > 0)
            character(fromCp1252(static_cast<unsigned char>(value)));
    }

    void controlWord(const QByteArray &word, bool hasParam, int param)
    {
        GroupState &s = state();
        if (word == "fonttbl") {
            s.destination = Destination::FontTable;
            return;
        }
        if (word == "colortbl") {
            s.destination = Destination::ColorTable;
            m_colorSet = false;
            return;
        }
        if (isSkippedDestination(word)) {
            s.destination = Destination::Skip;
            return;
        }
        if (word == "uc") {
            s.unicodeSkip = std::clamp(param, 0, 16);
            return;
        }
        if (word == "deff") {
            m_defaultFont = param;
            return;
        }
        switch (s.destination) {
        case Destination::Skip:
            return;
        case Destination::FontTable:
            if (word == "f")
                m_fontNumber = param;
            return;
        case Destination::ColorTable:
            colorWord(word, param);
            return;
        case Destination::Text:
            break;
        }
        textWord(word, hasParam, param);
    }

    void textWord(const QByteArray &word, bool hasParam, int param)
    {
        QTextCharFormat &f = state().format;
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            paragraph();
        } else if (const std::optional<QChar> symbol = symbolOf(word)) {
            character(*symbol);
        } else if (word == "u") {
            unicodeCharacter(param);
        } else if (word == "b") {
            f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        } else if (word == "i") {
            f.setFontItalic(on);
        } else if (word == "ul") {
            f.setFontUnderline(on);
        } else if (word == "ulnone") {
            f.setFontUnderline(false);
        } else if (word == "fs") {
            if (param > 0)
                f.setFontPointSize(std::min(param, 3276) / 2.0);
        } else if (word == "cf") {
            if (param >= 0 && param < m_colors.size() && m_colors.at(param).isValid())
                f.setForeground(m_colors.at(param));
            else
                f.clearForeground();
        } else if (word == "f") {
            const auto font = m_fonts.constFind(param);
            if (font != m_fonts.cend())
                f.setFontFamilies(QStringList{*font});
        } else if (word == "plain") {
            f = QTextCharFormat();
            applyDefaultFontTo(f);
        } else {
            consumeSkipped(); // unknown words are ignored
        }
    }

    void colorWord(const QByteArray &word, int param)
    {
        const int v = std::clamp(param, 0, 255);
        if (word == "red")
            m_color.setRed(v);
        else if (word == "green")
            m_color.setGreen(v);
        else if (word == "blue")
            m_color.setBlue(v);
        else
            return;
        m_colorSet = true;
    }

    void unicodeCharacter(int param)
    {
        if (param < 0)
            param += 65536; // written as a signed 16-bit number
        const char16_t u = (param >= 0 && param <= 0xFFFF) ? char16_t(param) : char16_t(0xFFFD);
        const int skip = state().unicodeSkip;
        emitCharacter(QChar(u));
        m_pendingSkip = skip;
    }

    // Ordinary text, or a character that stands in for the \uN just read.
    void character(QChar c)
    {
        if (consumeSkipped())
            return;
        switch (state().destination) {
        case Destination::Text:
            emitCharacter(c);
            break;
        case Destination::FontTable:
            if (c == QLatin1Char(';'))
                storeFontName();
            else if (m_fontName.size() < 256)
                m_fontName += c;
            break;
        case Destination::ColorTable:
            if (c == QLatin1Char(';')) {
                m_colors.append(m_colorSet ? m_color : QColor()); // an empty entry means automatic
                m_color = QColor(0, 0, 0);
                m_colorSet = false;
            }
            break;
        case Destination::Skip:
            break;
        }
    }

    bool consumeSkipped()
    {
        if (m_pendingSkip <= 0)
            return false;
        --m_pendingSkip;
        return true;
    }

    void emitCharacter(QChar c)
    {
        if (state().destination != Destination::Text)
            return;
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            return;
        const QTextCharFormat &f = state().format;
        if (!m_run.isEmpty() && f != m_runFormat)
            flush();
        m_runFormat = f;
        m_run += c;
    }

    void paragraph()
    {
        if (consumeSkipped() || state().destination != Destination::Text)
            return;
        flush();
        m_cursor.insertBlock(QTextBlockFormat(), state().format);
    }

    void flush()
    {
        if (m_run.isEmpty())
            return;
        m_cursor.insertText(m_run, m_runFormat);
        m_run.clear();
    }

    void storeFontName()
    {
        const QString name = m_fontName.trimmed();
        if (!name.isEmpty() && m_fonts.size() < 4096)
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    void applyDefaultFontTo(QTextCharFormat &f) const
    {
        const auto font = m_fonts.constFind(m_defaultFont);
        if (font != m_fonts.cend())
            f.setFontFamilies(QStringList{*font});
    }

    void applyDefaultFont()
    {
        QTextCharFormat &f = state().format;
        if (!f.hasProperty(QTextFormat::FontFamilies))
            applyDefaultFontTo(f);
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    const QByteArray &m_in;
    int m_pos = 0;
    bool m_finished = false;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    int m_overflow = 0;
    int m_pendingSkip = 0;
    QString m_run;
    QTextCharFormat m_runFormat;
    QHash<int, QString> m_fonts;
    int m_fontNumber = 0;
    QString m_fontName;
    int m_defaultFont = 0;
    QList<QColor> m_colors;
    QColor m_color = QColor(0, 0, 0);
    bool m_colorSet = false;
};

} // namespace

void RtfReader::read(const QByteArray &rtf, QTextDocument *doc)
{
    if (!doc)
        return;
    doc->clear();
    if (!rtf.startsWith("{\\rtf")) {
        // Not rich text: shown as it is.
        qCDebug(lcKit) << "a help text of" << rtf.size()
                       << "bytes is not rich text; it is shown as plain text";
        QString text;
        text.reserve(rtf.size());
        for (const char c : rtf)
            text += fromCp1252(static_cast<unsigned char>(c));
        doc->setPlainText(text);
        return;
    }
    Reader reader(rtf, doc);
    reader.run();
}
