// Taking a Perl-style regular-expression text apart: delimiters, flags and the replacement.
#include "services/regex/RegexCommand.h"

#include "base/Text.h"
#include "services/regex/BRegExpError.h"

#include <climits>

namespace varno {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The second byte of a Shift-JIS double-byte character.
bool isTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Punctuation may delimit; brackets would call for Perl's nesting rules and are refused.
bool isDelimiter(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F) return false;
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_') return false;
    switch (c) {
    case '\\': case '(': case ')': case '[': case ']': case '{': case '}': case '<': case '>':
        return false;
    default:
        return true;
    }
}

[[noreturn]] void fail(std::string_view text, const std::string& why) {
    throw EBRegExpError(std::string(text) + ": " + why);
}

// Reads one delimited part from pos (just after its opening delimiter) to the closing
// delimiter, and leaves pos behind that. Escapes are kept for the engine or the replacement
// parser, with two changes: in a pattern, "\<delim>" becomes the delimiter itself (as in
// Perl), and the 0x5C second byte of a double-byte character becomes an escaped backslash,
// so that a kanji such as 0x95 0x5C is matched as itself instead of escaping what follows.
std::string readPart(std::string_view text, std::size_t& pos, char delimiter, bool inPattern) {
    std::string part;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == delimiter) {
            ++pos;
            return part;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            const char next = text[pos + 1];
            if (!(inPattern && next == delimiter)) part += '\\';
            part += next;
            pos += 2;
            continue;
        }
        if (IsLeadByte(static_cast<unsigned char>(c)) && pos + 1 < text.size() &&
            isTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
            part += c;
            if (text[pos + 1] == '\\') part += '\\';
            part += text[pos + 1];
            pos += 2;
            continue;
        }
        part += c;
        ++pos;
    }
    fail(text, std::string("missing closing delimiter ") + delimiter);
}

// Parses a replacement as read by readPart() into literal runs and group references.
std::vector<TRegexCommand::TPart> parseReplacement(std::string_view text, std::string_view raw) {
    using TPart = TRegexCommand::TPart;
    std::vector<TPart> parts;
    std::string literal;
    auto addSpecial = [&](TPart::EKind kind, int group) {
        if (!literal.empty()) parts.push_back(TPart{TPart::EKind::Text, std::move(literal), 0});
        literal.clear();
        parts.push_back(TPart{kind, {}, group});
    };

    std::size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[i + 1];
            i += 2;
            switch (e) {
            case 'n': literal += '\n'; break;
            case 't': literal += '\t'; break;
            case 'r': literal += '\r'; break;
            case 'f': literal += '\f'; break;
            case 'e': literal += '\x1b'; break;
            case 'a': literal += '\a'; break;
            case '0': {
                int value = 0;
                for (int n = 0; n < 2 && i < raw.size() && raw[i] >= '0' && raw[i] <= '7'; ++n) value = value * 8 + (raw[i++] - '0');
                literal += static_cast<char>(value);
                break;
            }
            case 'x': {
                int value = 0;
                if (i < raw.size() && raw[i] == '{') {
                    const std::size_t close = raw.find('}', i);
                    if (close == std::string_view::npos) fail(text, "missing } after \\x{ in the replacement");
                    for (std::size_t k = i + 1; k < close; ++k) {
                        const int digit = hexValue(raw[k]);
                        if (digit < 0) fail(text, "bad hexadecimal digit in \\x{} in the replacement");
                        value = value * 16 + digit;
                        if (value > 0xFF) fail(text, "\\x{} beyond 0xFF in the replacement (texts are bytes)");
                    }
                    i = close + 1;
                } else {
                    for (int n = 0; n < 2 && i < raw.size() && hexValue(raw[i]) >= 0; ++n) value = value * 16 + hexValue(raw[i++]);
                }
                literal += static_cast<char>(value);
                break;
            }
            case 'U': case 'L': case 'u': case 'l': case 'Q': case 'E':
                fail(text, std::string("the case-changing escape \\") + e + " is not supported in a replacement");
            default:
                if (e >= '1' && e <= '9') {
                    addSpecial(TPart::EKind::Group, e - '0');
                } else {
                    literal += e;  // \\ \$ \/ and every other escaped byte stand for themselves
                }
            }
            continue;
        }
        if (c == '$' && i + 1 < raw.size()) {
            const char d = raw[i + 1];
            if (d == '&') {
                addSpecial(TPart::EKind::Group, 0);
                i += 2;
                continue;
            }
            if (d == '`' || d == '\'') {
                addSpecial(d == '`' ? TPart::EKind::Before : TPart::EKind::After, 0);
                i += 2;
                continue;
            }
            const bool braced = d == '{';
            std::size_t k = i + (braced ? 2 : 1);
            const std::size_t first = k;
            long long group = 0;
            while (k < raw.size() && isDigit(raw[k])) {
                group = group * 10 + (raw[k] - '0');
                if (group > INT_MAX / 16) group = INT_MAX / 16;  // far beyond any group: reads as unset
                ++k;
            }
            const bool closed = !braced || (k < raw.size() && raw[k] == '}');
            if (k > first && closed) {
                addSpecial(TPart::EKind::Group, static_cast<int>(group));
                i = braced ? k + 1 : k;
                continue;
            }
        }
        literal += c;  // a lone $ or backslash stands for itself
        ++i;
    }
    if (!literal.empty()) parts.push_back(TPart{TPart::EKind::Text, std::move(literal), 0});
    return parts;
}

}  // namespace

std::shared_ptr<const TRegexCommand> TRegexCommand::Parse(std::string_view text) {
    std::shared_ptr<TRegexCommand> command(new TRegexCommand());
    std::size_t pos = 0;
    char delimiter = '/';
    if (!text.empty() && text[0] == '/') {
        pos = 1;
    } else if (text.size() >= 2 && (text[0] == 'm' || text[0] == 's') && isDelimiter(text[1])) {
        if (text[0] == 's') command->m_kind = ERegexKind::Substitute;
        delimiter = text[1];
        pos = 2;
    } else {
        fail(text, "not a regular expression (expected /pattern/flags or s/pattern/replacement/flags)");
    }

    const std::string pattern = readPart(text, pos, delimiter, true);
    std::string replacement;
    if (command->m_kind == ERegexKind::Substitute) replacement = readPart(text, pos, delimiter, false);

    TPatternOptions options;
    for (; pos < text.size(); ++pos) {
        switch (text[pos]) {
        case 'g': command->m_global = true; break;
        case 'i': options.caseless = true; break;
        case 'm': options.multiline = true; break;
        case 's': options.dotAll = true; break;
        case 'x': options.extended = true; break;
        default: fail(text, std::string("unknown flag '") + text[pos] + "'");
        }
    }

    try {
        command->m_pattern = std::make_unique<TCompiledPattern>(pattern, options);
        if (pattern == "^" && !options.multiline) {
            TPatternOptions lines = options;
            lines.multiline = true;
            command->m_splitPattern = std::make_unique<TCompiledPattern>(pattern, lines);
        }
    } catch (const EBRegExpError& error) {
        fail(text, error.what());
    }
    command->m_replacement = parseReplacement(text, replacement);
    return command;
}

}  // namespace varno
