// The pattern reader of the resource markup, for tag texts built at run time and by scripts.
#include "resources/SGML.h"

#include "base/MessageBox.h"
#include "resources/MarkupError.h"
#include "services/regex/PatternCache.h"
#include "services/regex/RegexCommand.h"

#include <cstring>

namespace varno {
namespace {

// The reader's patterns, compiled once and held for the life of the process.
struct TPatterns {
    std::shared_ptr<const TRegexCommand> tag = TPatternCache::Shared().get(R"re(/<[^>]*>/)re");
    std::shared_ptr<const TRegexCommand> emptyTag = TPatternCache::Shared().get(R"re(/\/>$/)re");
    std::shared_ptr<const TRegexCommand> name = TPatternCache::Shared().get(R"re(/<([\w\d]*)/)re");
    std::shared_ptr<const TRegexCommand> attr = TPatternCache::Shared().get(R"re(/([\w\d]*)="([^"]*)"/)re");
    std::shared_ptr<const TRegexCommand> closingTag = TPatternCache::Shared().get(R"re(/^<\/[^>]*>/)re");
};

const TPatterns& patterns() {
    static const TPatterns compiled;
    return compiled;
}

std::string_view groupText(std::string_view text, const std::vector<TSpan>& spans, std::size_t i) {
    if (i >= spans.size() || !spans[i].matched()) return {};
    return text.substr(static_cast<std::size_t>(spans[i].start), static_cast<std::size_t>(spans[i].length()));
}

// The first match of /<[^>]*>/ in text. The pattern matches exactly when some ">" follows the
// first "<"; that is checked first, since the engine would otherwise try every later "<" in
// turn, each time to the end of the text.
bool findTag(std::string_view text, std::vector<TSpan>& spans) {
    const std::size_t open = text.find('<');
    if (open == std::string_view::npos || text.find('>', open) == std::string_view::npos) return false;
    return patterns().tag->match(text, spans);
}

}  // namespace

std::unique_ptr<TSGML> TSGML::ParseElement(const char*& cursor) {
    return parseElement(cursor, cursor + std::strlen(cursor), 0);
}

std::unique_ptr<TSGML> TSGML::parseElement(const char*& cursor, const char* end, int depth) {
    if (depth >= kMaxMarkupNesting) throw EMarkupError("Tag Error: elements nested too deeply");
    const TPatterns& re = patterns();
    std::vector<TSpan> spans;

    // 1. The first tag from the cursor.
    const std::string_view text(cursor, static_cast<std::size_t>(end - cursor));
    if (!findTag(text, spans)) throw EMarkupError("Tag Error");
    const std::string tag(groupText(text, spans, 0));
    cursor += spans[0].end;

    // 2. and 3. Content unless the tag ends in "/>"; the name is the word after "<" (it may be
    // empty; an empty group is taken as such).
    auto element = std::make_unique<TSGML>();
    const bool hasContent = !re.emptyTag->match(tag, spans);
    re.name->match(tag, spans);
    element->m_tagName = groupText(tag, spans, 1);

    // 4. Attributes name="value", each decoded twice; a repeated name replaces the earlier one.
    std::string_view rest = tag;
    while (re.attr->match(rest, spans)) {
        const std::string name(groupText(rest, spans, 1));
        const std::string value = UnescapeAttr(UnescapeAttr(groupText(rest, spans, 2)));
        rest.remove_prefix(static_cast<std::size_t>(spans[0].end));
        element->SetAttr(name, value);
    }

    // 5. Children up to any closing tag; text between tags is skipped.
    if (hasContent && !IsLeafTag(element->m_tagName)) {
        for (;;) {
            const std::string_view remaining(cursor, static_cast<std::size_t>(end - cursor));
            if (!findTag(remaining, spans)) {
                ShowMessage("invalid Tag : " + std::string(remaining));
                break;
            }
            cursor += spans[0].start;
            if (re.closingTag->match(groupText(remaining, spans, 0), spans)) {
                cursor += spans[0].end;
                break;
            }
            element->AddChild(parseElement(cursor, end, depth + 1));
        }
    }
    return element;
}

}  // namespace varno
