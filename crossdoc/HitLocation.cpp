#include "crossdoc/HitLocation.h"

#include "crossdoc/MatchSnippet.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdlib>

namespace ikw::crossdoc {

namespace {

constexpr std::size_t kSnippetRadius = 48;
constexpr std::size_t kFallbackSnippetLength = 120;
constexpr std::string_view kEllipsis = "\u2026";

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lowerCased(std::string_view utf8)
{
    if (isAscii(utf8)) {
        std::string lower(utf8);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        return lower;
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    text.toLower(icu::Locale::getRoot());
    std::string lower;
    text.toUTF8String(lower);
    return lower;
}

// Every boundary between the characters of the text, its start and its end included.
std::vector<std::size_t> characterBoundaries(std::string_view text)
{
    std::vector<std::size_t> boundaries { 0 };
    if (isAscii(text)) {
        // Each byte is a character, but for a carriage return followed by a line feed.
        for (std::size_t offset = 1; offset <= text.size(); ++offset) {
            if (offset == text.size() || text[offset - 1] != '\r' || text[offset] != '\n')
                boundaries.push_back(offset);
        }
        return boundaries;
    }
    GraphemeBoundaries breaks(text);
    for (std::size_t offset = 0; offset < text.size();)
        boundaries.push_back(offset = breaks.forward(offset, 1));
    return boundaries;
}

// The characters of a text, each as its bytes.
std::vector<std::string_view> characters(std::string_view text)
{
    const std::vector<std::size_t> boundaries = characterBoundaries(text);
    std::vector<std::string_view> pieces;
    pieces.reserve(boundaries.size());
    for (std::size_t index = 1; index < boundaries.size(); ++index)
        pieces.push_back(text.substr(boundaries[index - 1], boundaries[index] - boundaries[index - 1]));
    return pieces;
}

bool isWordSeparator(char c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// The words of a text: what lies between spaces, line feeds, tabs and carriage returns.
std::vector<TextRange> wordRanges(std::string_view text)
{
    std::vector<TextRange> words;
    std::size_t offset = 0;
    while (offset < text.size()) {
        while (offset < text.size() && isWordSeparator(text[offset]))
            ++offset;
        const std::size_t begin = offset;
        while (offset < text.size() && !isWordSeparator(text[offset]))
            ++offset;
        if (offset > begin)
            words.push_back({ begin, offset });
    }
    return words;
}

// One word of a chunk as fuzzy scoring sees it: its length and its lower-cased characters.
struct ScoredWord {
    std::string_view text;
    std::size_t length = 0;
    std::vector<std::string_view> lowerCharacters;
};

// Lower-casing maps no character to or from the word separators, so the lower-cased text has the
// same words in the same order.
std::vector<ScoredWord> scoredWords(std::string_view body, std::string_view lowerBody)
{
    const std::vector<TextRange> words = wordRanges(body);
    const std::vector<TextRange> lowerWords = wordRanges(lowerBody);
    if (words.size() != lowerWords.size())
        return {};
    const std::vector<std::size_t> bodyBoundaries = characterBoundaries(body);
    const std::vector<std::size_t> lowerBoundaries = characterBoundaries(lowerBody);
    // The characters of [begin, end): the boundaries inside it, its ends counted as boundaries.
    const auto charactersIn = [](std::string_view text, const std::vector<std::size_t>& boundaries, TextRange range) {
        std::vector<std::string_view> pieces;
        std::size_t start = range.begin;
        for (auto it = std::upper_bound(boundaries.begin(), boundaries.end(), range.begin); it != boundaries.end() && *it < range.end; ++it) {
            pieces.push_back(text.substr(start, *it - start));
            start = *it;
        }
        pieces.push_back(text.substr(start, range.end - start));
        return pieces;
    };
    std::vector<ScoredWord> scored;
    scored.reserve(words.size());
    for (std::size_t index = 0; index < words.size(); ++index) {
        const TextRange word = words[index];
        scored.push_back({ body.substr(word.begin, word.size()), charactersIn(body, bodyBoundaries, word).size(),
            charactersIn(lowerBody, lowerBoundaries, lowerWords[index]) });
    }
    return scored;
}

// Shared trigrams of the words [first, first + count) joined by single spaces, each counted once.
int sharedTrigrams(const std::vector<ScoredWord>& words, std::size_t first, std::size_t count,
    const std::unordered_set<std::string>& queryTrigrams, std::vector<std::string_view>& sequence, std::vector<std::string>& seen)
{
    static constexpr std::string_view kSpace = " ";
    sequence.clear();
    for (std::size_t index = first; index < first + count; ++index) {
        if (index > first)
            sequence.push_back(kSpace);
        sequence.insert(sequence.end(), words[index].lowerCharacters.begin(), words[index].lowerCharacters.end());
    }
    seen.clear();
    std::string trigram;
    for (std::size_t index = 0; index + 3 <= sequence.size(); ++index) {
        trigram.assign(sequence[index]).append(sequence[index + 1]).append(sequence[index + 2]);
        if (trigram.find('"') != std::string::npos || !queryTrigrams.contains(trigram))
            continue;
        if (std::find(seen.begin(), seen.end(), trigram) == seen.end())
            seen.push_back(trigram);
    }
    return static_cast<int>(seen.size());
}

// The chunk's start, line feeds as spaces, when the chosen words are not found side by side.
std::string fallbackSnippet(std::string_view body)
{
    std::string flat(body);
    std::replace(flat.begin(), flat.end(), '\n', ' ');
    GraphemeBoundaries boundaries(flat);
    const std::size_t end = boundaries.forward(0, kFallbackSnippetLength);
    if (end >= flat.size())
        return flat;
    flat.resize(end);
    return flat.append(kEllipsis);
}

}

std::vector<std::string> trigrams(std::string_view text)
{
    const std::string lower = lowerCased(text);
    const std::vector<std::string_view> pieces = characters(lower);
    std::vector<std::string> runs;
    std::unordered_set<std::string> seen;
    for (std::size_t index = 0; index + 3 <= pieces.size(); ++index) {
        std::string run = std::string(pieces[index]).append(pieces[index + 1]).append(pieces[index + 2]);
        if (run.find('"') == std::string::npos && seen.insert(run).second)
            runs.push_back(std::move(run));
    }
    return runs;
}

std::string hitSnippet(std::string_view body, TextRange match)
{
    return matchSnippet(body, match, kSnippetRadius, SnippetTrim::SpacesAndTabs);
}

std::vector<TextRange> exactLocate(std::string_view body, const CaseInsensitiveFinder& query, std::size_t cap)
{
    std::vector<TextRange> found;
    auto matches = query.matchesIn(body);
    while (found.size() < std::max<std::size_t>(cap, 1)) {
        const auto next = matches.next();
        if (!next)
            break;
        found.push_back(*next);
    }
    return found;
}

FuzzyQuery::FuzzyQuery(std::string_view text)
    : length(graphemeCount(text))
{
    for (std::string& trigram : crossdoc::trigrams(text))
        trigrams.insert(std::move(trigram));
}

std::optional<FuzzyHit> fuzzyLocate(std::string_view body, const FuzzyQuery& query)
{
    if (query.trigrams.empty())
        return std::nullopt;
    const std::string lowerBody = lowerCased(body);
    const std::vector<ScoredWord> words = scoredWords(body, lowerBody);
    if (words.empty())
        return std::nullopt;
    int bestScore = -1;
    std::size_t bestStart = 0;
    std::size_t bestCount = 1;
    std::vector<std::string_view> sequence;
    std::vector<std::string> seen;
    for (std::size_t start = 0; start < words.size(); ++start) {
        std::size_t length = 0;
        for (std::size_t count = 1; count <= 3 && start + count <= words.size(); ++count) {
            length += words[start + count - 1].length + (count > 1 ? 1 : 0);
            const auto lengthDifference = static_cast<long long>(length) - static_cast<long long>(query.length);
            const int score = 3 * sharedTrigrams(words, start, count, query.trigrams, sequence, seen)
                - static_cast<int>(std::llabs(lengthDifference) / 8);
            if (score > bestScore) {
                bestScore = score;
                bestStart = start;
                bestCount = count;
            }
        }
    }
    if (bestScore < 1)
        return std::nullopt;
    std::string match;
    for (std::size_t index = bestStart; index < bestStart + bestCount; ++index)
        match.append(index > bestStart ? " " : "").append(words[index].text);
    const std::size_t at = body.find(match);
    std::string snippet = at == std::string_view::npos ? fallbackSnippet(body) : hitSnippet(body, { at, at + match.size() });
    return FuzzyHit { std::move(snippet), std::move(match), bestScore };
}

}
