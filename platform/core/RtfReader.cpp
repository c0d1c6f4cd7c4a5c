#include "platform/core/RtfReader.h"

#include "platform/core/RtfTokenizer.h"
#include "platform/core/Utf8.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ikw {

namespace {

// Deeper groups than this share the state of the deepest one, so that memory stays bounded
// whatever the nesting of the input.
constexpr std::size_t kMaxGroupStates = 512;
constexpr int kDefaultCodePage = 1252;
constexpr char32_t kReplacementCharacter = 0xFFFD;

// Groups whose first control word names one of these hold no body text.
constexpr std::array<std::string_view, 32> kSkippedDestinations = { "fonttbl", "colortbl", "stylesheet", "info", "pict",
    "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "fldinst", "listtable",
    "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
    "datastore", "objdata", "generator", "filetbl", "private", "xe", "tc", "bkmkstart", "falt", "panose" };

// Control words that stand for a character.
struct CharacterWord {
    std::string_view word;
    std::string_view text;
};
constexpr std::array<CharacterWord, 17> kCharacterWords = { {
    { "tab", "\t" }, { "emdash", "\u2014" }, { "endash", "\u2013" }, { "emspace", "\u2003" }, { "enspace", "\u2002" },
    { "qmspace", "\u2005" }, { "bullet", "\u2022" }, { "lquote", "\u2018" }, { "rquote", "\u2019" },
    { "ldblquote", "\u201C" }, { "rdblquote", "\u201D" }, { "zwj", "\u200D" }, { "zwnj", "\u200C" },
    { "ltrmark", "\u200E" }, { "rtlmark", "\u200F" }, { "zwbo", "\u200B" }, { "zwnbo", "\u2060" },
} };

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using OwnedConverter = std::unique_ptr<UConverter, ConverterCloser>;

OwnedConverter openConverter(const std::string& name)
{
    UErrorCode status = U_ZERO_ERROR;
    OwnedConverter converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

OwnedConverter converterForCodePage(int codePage)
{
    if (codePage == 65001)
        return openConverter("UTF-8");
    for (const char* prefix : { "windows-", "cp", "ibm-" }) {
        if (OwnedConverter converter = openConverter(prefix + std::to_string(codePage)))
            return converter;
    }
    return nullptr;
}

bool startsAsRtf(std::string_view rtf)
{
    const std::size_t start = rtf.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && rtf.substr(start).starts_with("{\\rtf");
}

// The two destinations whose entries are reported, although they hold no body text.
enum class Table { None, Fonts, Colors };

struct GroupState {
    int unicodeSkip = 1;     // \ucN: replacement characters after each \uN
    bool skipped = false;    // inside a destination without body text
    Table table = Table::None;
    bool atStart = true;     // nothing but \* read in the group yet
    bool reported = false;   // its start has gone to the handler

    bool readsText() const { return !skipped || table != Table::None; }
};

std::uint8_t colorComponent(std::optional<int> parameter)
{
    return static_cast<std::uint8_t>(std::clamp(parameter.value_or(0), 0, 255));
}

class Reader {
public:
    Reader(std::string_view rtf, RtfReaderHandler& handler) : m_tokens(rtf), m_handler(handler)
    {
        setCodePage(kDefaultCodePage);
    }

    RtfReadSummary run()
    {
        RtfReadSummary summary;
        for (;;) {
            const RtfToken token = m_tokens.next();
            if (token.kind == RtfToken::Kind::End)
                break;
            if (!take(token)) {
                summary.closed = true;
                break;
            }
        }
        flushBytes();
        flushSurrogate();
        summary.deepestGroup = m_deepest;
        return summary;
    }

private:
    // False once the document's outermost group has closed.
    bool take(const RtfToken& token)
    {
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            if (m_depth > 0)
                reportGroupStart();
            openGroup();
            return true;
        case RtfToken::Kind::GroupEnd:
            return closeGroup();
        default:
            break;
        }
        if (m_depth == 0)
            return true; // nothing counts outside the document's group
        if (m_skipRemaining > 0 && skipReplacement(token))
            return true;
        switch (token.kind) {
        case RtfToken::Kind::ControlWord:
            controlWord(token.text, token.parameter);
            break;
        case RtfToken::Kind::ControlSymbol:
            controlSymbol(token.symbol);
            break;
        case RtfToken::Kind::HexByte:
            state().atStart = false;
            reportGroupStart();
            if (state().readsText())
                addByte(token.byte);
            break;
        case RtfToken::Kind::Text:
            state().atStart = false;
            reportGroupStart();
            if (state().readsText())
                addBytes(token.text);
            break;
        default:
            break; // binary data is never text
        }
        return true;
    }

    GroupState& state() { return m_states.back(); }

    void openGroup()
    {
        flushBytes();
        m_skipRemaining = 0;
        ++m_depth;
        m_deepest = std::max(m_deepest, m_depth);
        if (m_states.empty()) {
            m_states.emplace_back();
            state().reported = true; // the document's own group is not reported
        } else if (m_states.size() < kMaxGroupStates) {
            GroupState inner = state();
            inner.atStart = true;
            inner.reported = false;
            m_states.push_back(inner);
        } else {
            ++m_sharedDepth;
        }
    }

    // A group is reported once its first content shows that it is no skipped destination.
    void reportGroupStart()
    {
        if (m_sharedDepth > 0 || state().reported || state().skipped)
            return;
        flushBytes();
        flushSurrogate();
        state().reported = true;
        m_handler.groupStart();
    }

    bool closeGroup()
    {
        flushBytes();
        m_skipRemaining = 0;
        if (m_depth == 0)
            return true; // an unbalanced brace
        --m_depth;
        if (m_sharedDepth > 0) {
            --m_sharedDepth;
            return true;
        }
        const bool reported = state().reported && m_depth > 0;
        if (state().table == Table::Fonts)
            endFontEntry(); // an entry that its group ends without a semicolon
        m_states.pop_back();
        if (reported)
            m_handler.groupEnd();
        return m_depth > 0;
    }

    // Counts a token against the replacement characters of the last \uN. True when it was one.
    bool skipReplacement(const RtfToken& token)
    {
        if (token.kind != RtfToken::Kind::Text) {
            --m_skipRemaining;
            return true;
        }
        const std::size_t skipped = std::min<std::size_t>(token.text.size(), static_cast<std::size_t>(m_skipRemaining));
        m_skipRemaining -= static_cast<int>(skipped);
        if (skipped < token.text.size() && state().readsText())
            addBytes(token.text.substr(skipped));
        return true;
    }

    void controlWord(std::string_view word, std::optional<int> parameter)
    {
        GroupState& group = state();
        const bool first = std::exchange(group.atStart, false);
        if (first && std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) != kSkippedDestinations.end()) {
            group.skipped = true;
            group.table = word == "fonttbl" ? Table::Fonts : word == "colortbl" ? Table::Colors : Table::None;
        }
        reportGroupStart();
        if (word == "uc") {
            group.unicodeSkip = std::clamp(parameter.value_or(1), 0, 1 << 16);
            return;
        }
        if (word == "u") {
            if (parameter)
                unicodeCharacter(*parameter);
            return;
        }
        if (word == "ansicpg" && parameter) {
            setCodePage(*parameter);
            return;
        }
        if (word == "ansi" || word == "mac" || word == "pc" || word == "pca") {
            setCharacterSet(word);
            return;
        }
        if (group.table != Table::None) {
            tableWord(word, parameter);
            return;
        }
        if (word == "bin" || group.skipped)
            return;
        for (const CharacterWord& character : kCharacterWords) {
            if (word == character.word) {
                emitText(character.text);
                return;
            }
        }
        flushBytes();
        flushSurrogate();
        m_handler.controlWord(word, parameter);
    }

    void controlSymbol(char symbol)
    {
        GroupState& group = state();
        const bool first = std::exchange(group.atStart, false);
        if (symbol == '*') {
            // An optional destination: a reader that does not know it skips the group.
            if (first) {
                group.skipped = true;
                group.table = Table::None;
            }
            return;
        }
        reportGroupStart();
        if (!group.readsText())
            return;
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            addByte(static_cast<unsigned char>(symbol));
            break;
        case '~':
            emitText("\u00A0");
            break;
        case '_':
            emitText("\u2011");
            break;
        case '\n':
            controlWord("par", std::nullopt);
            break;
        default:
            break; // \- (optional hyphen), \: and \| leave no text
        }
    }

    void unicodeCharacter(int parameter)
    {
        m_skipRemaining = state().unicodeSkip;
        if (!state().readsText())
            return;
        flushBytes();
        // Values above 32767 are written as negative numbers.
        const char32_t unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
        if (U16_IS_LEAD(unit)) {
            flushSurrogate();
            m_pendingLead = unit;
            return;
        }
        if (U16_IS_TRAIL(unit) && m_pendingLead) {
            const char32_t joined = U16_GET_SUPPLEMENTARY(*m_pendingLead, unit);
            m_pendingLead.reset();
            std::string utf8;
            appendUtf8(utf8, joined);
            deliver(utf8);
            return;
        }
        flushSurrogate();
        std::string utf8;
        appendUtf8(utf8, unit);
        deliver(utf8);
    }

    // Text goes to the handler, or to the entry of the table being read.
    void deliver(std::string_view utf8)
    {
        if (m_states.empty() || state().table == Table::None) {
            m_handler.text(utf8);
            return;
        }
        for (const char c : utf8) {
            if (c != ';') {
                if (state().table == Table::Fonts)
                    m_fontName.push_back(c);
                continue;
            }
            if (state().table == Table::Fonts)
                endFontEntry();
            else
                endColorEntry();
        }
    }

    // Control words inside the font and colour tables.
    void tableWord(std::string_view word, std::optional<int> parameter)
    {
        flushBytes();
        if (state().table == Table::Fonts && word == "f") {
            endFontEntry();
            m_fontNumber = parameter.value_or(0);
        } else if (state().table == Table::Colors && (word == "red" || word == "green" || word == "blue")) {
            RtfColor& color = m_color ? *m_color : m_color.emplace();
            (word == "red" ? color.red : word == "green" ? color.green : color.blue) = colorComponent(parameter);
        }
    }

    void endFontEntry()
    {
        flushBytes();
        const std::string_view name = trimmedName();
        if (m_fontNumber && !name.empty())
            m_handler.fontTableEntry(*m_fontNumber, name);
        m_fontName.clear();
        m_fontNumber.reset();
    }

    void endColorEntry()
    {
        m_handler.colorTableEntry(std::exchange(m_color, std::nullopt));
    }

    std::string_view trimmedName() const
    {
        const std::size_t begin = m_fontName.find_first_not_of(' ');
        if (begin == std::string::npos)
            return {};
        const std::size_t end = m_fontName.find_last_not_of(' ');
        return std::string_view(m_fontName).substr(begin, end - begin + 1);
    }

    void setCodePage(int codePage)
    {
        flushBytes();
        if (OwnedConverter converter = converterForCodePage(codePage))
            m_converter = std::move(converter);
    }

    void setCharacterSet(std::string_view word)
    {
        flushBytes();
        const char* name = word == "mac" ? "macintosh" : word == "pc" ? "ibm-437" : word == "pca" ? "ibm-850" : "windows-1252";
        if (OwnedConverter converter = openConverter(name))
            m_converter = std::move(converter);
    }

    void addByte(unsigned char byte) { m_bytes.push_back(static_cast<char>(byte)); }
    void addBytes(std::string_view bytes) { m_bytes.append(bytes); }

    void emitText(std::string_view utf8)
    {
        flushBytes();
        flushSurrogate();
        m_handler.text(utf8);
    }

    // Code-page bytes collected since the last other token, decoded together so that a character
    // of a multi-byte code page written as two \'hh escapes stays one character.
    void flushBytes()
    {
        if (m_bytes.empty())
            return;
        flushSurrogate();
        std::string utf8 = decode(m_bytes);
        m_bytes.clear();
        if (!utf8.empty())
            deliver(utf8);
    }

    std::string decode(std::string_view bytes) const
    {
        if (!m_converter)
            return latin1ToUtf8(bytes);
        std::string utf8;
        ucnv_reset(m_converter.get());
        std::u16string utf16(bytes.size() * 2 + 2, u'\0');
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = ucnv_toUChars(m_converter.get(), reinterpret_cast<UChar*>(utf16.data()), static_cast<int32_t>(utf16.size()),
            bytes.data(), static_cast<int32_t>(bytes.size()), &status);
        if (U_FAILURE(status))
            return utf8;
        for (int32_t index = 0; index < length;) {
            UChar32 c;
            U16_NEXT(utf16.data(), index, length, c);
            appendUtf8(utf8, static_cast<char32_t>(c));
        }
        return utf8;
    }

    // A lone high surrogate left from \uN stands for a character that cannot be shown.
    void flushSurrogate()
    {
        if (!m_pendingLead)
            return;
        m_pendingLead.reset();
        std::string utf8;
        appendUtf8(utf8, kReplacementCharacter);
        deliver(utf8);
    }

    RtfTokenizer m_tokens;
    RtfReaderHandler& m_handler;
    std::vector<GroupState> m_states;
    std::size_t m_depth = 0;
    std::size_t m_deepest = 0;
    std::size_t m_sharedDepth = 0; // groups beyond kMaxGroupStates
    int m_skipRemaining = 0;
    std::optional<char32_t> m_pendingLead;
    OwnedConverter m_converter;
    std::string m_bytes;
    // The table entry being read.
    std::optional<int> m_fontNumber;
    std::string m_fontName;
    std::optional<RtfColor> m_color;
};

}

bool readRtf(std::string_view rtf, RtfReaderHandler& handler)
{
    return readRtfDocument(rtf, handler).has_value();
}

std::optional<RtfReadSummary> readRtfDocument(std::string_view rtf, RtfReaderHandler& handler)
{
    if (!startsAsRtf(rtf))
        return std::nullopt;
    return Reader(rtf, handler).run();
}

}
