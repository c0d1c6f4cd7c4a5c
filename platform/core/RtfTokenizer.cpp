#include "platform/core/RtfTokenizer.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <climits>

namespace ikw {

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

RtfToken tokenOf(RtfToken::Kind kind)
{
    RtfToken token;
    token.kind = kind;
    return token;
}

}

RtfToken RtfTokenizer::next()
{
    if (m_binaryPending > 0) {
        const std::size_t size = std::min(m_binaryPending, m_rtf.size() - m_position);
        m_binaryPending = 0;
        RtfToken token = tokenOf(RtfToken::Kind::Binary);
        token.text = m_rtf.substr(m_position, size);
        m_position += size;
        return token;
    }
    for (;;) {
        if (m_position >= m_rtf.size())
            return tokenOf(RtfToken::Kind::End);
        switch (m_rtf[m_position]) {
        case '{':
            ++m_position;
            return tokenOf(RtfToken::Kind::GroupStart);
        case '}':
            ++m_position;
            return tokenOf(RtfToken::Kind::GroupEnd);
        case '\\':
            return escape();
        case '\r':
        case '\n':
            ++m_position; // line ends in RTF source are not text
            continue;
        default:
            return text();
        }
    }
}

RtfToken RtfTokenizer::escape()
{
    const std::size_t start = m_position + 1;
    if (start >= m_rtf.size()) {
        m_position = m_rtf.size();
        return tokenOf(RtfToken::Kind::End);
    }
    const char first = m_rtf[start];
    if (isAsciiLetter(first)) {
        m_position = start;
        return controlWord();
    }
    if (first == '\'') {
        if (start + 2 >= m_rtf.size()) {
            m_position = m_rtf.size();
            return tokenOf(RtfToken::Kind::End);
        }
        const auto high = hexDigitValue(m_rtf[start + 1]);
        const auto low = hexDigitValue(m_rtf[start + 2]);
        if (!high || !low) {
            // Not an escape after all: the quote reads as a symbol, the rest as what it is.
            m_position = start + 1;
            RtfToken token = tokenOf(RtfToken::Kind::ControlSymbol);
            token.symbol = '\'';
            return token;
        }
        m_position = start + 3;
        RtfToken token = tokenOf(RtfToken::Kind::HexByte);
        token.byte = static_cast<unsigned char>(*high * 16 + *low);
        return token;
    }
    m_position = start + 1;
    RtfToken token = tokenOf(RtfToken::Kind::ControlSymbol);
    token.symbol = (first == '\r' || first == '\n') ? '\n' : first;
    return token;
}

RtfToken RtfTokenizer::controlWord()
{
    const std::size_t wordStart = m_position;
    while (m_position < m_rtf.size() && isAsciiLetter(m_rtf[m_position]))
        ++m_position;
    RtfToken token = tokenOf(RtfToken::Kind::ControlWord);
    token.text = m_rtf.substr(wordStart, m_position - wordStart);

    const bool negative = m_position + 1 < m_rtf.size() && m_rtf[m_position] == '-' && isDigit(m_rtf[m_position + 1]);
    if (negative)
        ++m_position;
    if (m_position < m_rtf.size() && isDigit(m_rtf[m_position])) {
        long long value = 0;
        while (m_position < m_rtf.size() && isDigit(m_rtf[m_position])) {
            value = std::min<long long>(value * 10 + (m_rtf[m_position] - '0'), static_cast<long long>(INT_MAX) + 1);
            ++m_position;
        }
        value = negative ? -value : value;
        token.parameter = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    }
    // One space ends a control word and belongs to it.
    if (m_position < m_rtf.size() && m_rtf[m_position] == ' ')
        ++m_position;
    if (token.text == "bin" && token.parameter && *token.parameter > 0)
        m_binaryPending = static_cast<std::size_t>(*token.parameter);
    return token;
}

RtfToken RtfTokenizer::text()
{
    const std::size_t start = m_position;
    while (m_position < m_rtf.size()) {
        const char c = m_rtf[m_position];
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n')
            break;
        ++m_position;
    }
    RtfToken token = tokenOf(RtfToken::Kind::Text);
    token.text = m_rtf.substr(start, m_position - start);
    return token;
}

}
