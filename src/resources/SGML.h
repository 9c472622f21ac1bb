// One element of the resource markup: tag name, attribute entries and owned child elements.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

// The markup is SGML-like but not XML: no prolog, comments, entities or character
// references, closing tags are not checked against their opening tags, and text between
// tags is ignored. Texts are Shift-JIS bytes.
//
// Attributes are kept as entries "name=value" in reading order; the name is the text before
// the first "=". An element has no child list until its first child is added; the fast reader
// gives every element that has content a (possibly empty) list.
class TSGML {
public:
    TSGML() = default;
    explicit TSGML(std::string tagName) : m_tagName(std::move(tagName)) {}
    TSGML(const TSGML&) = delete;
    TSGML& operator=(const TSGML&) = delete;

    // The fast reader, for resource files and resource texts. cursor points into a
    // NUL-terminated text; it is left behind what was read. Returns none at the end of the
    // text and at a closing tag (the cursor then stays on its "<"). Never fails: malformed or
    // truncated text yields what could be read.
    static std::unique_ptr<TSGML> ScanElement(const char*& cursor);

    // The pattern reader, for tag texts built at run time and tag texts from scripts. cursor
    // as above. Throws EMarkupError "Tag Error" when the text holds no tag; shows
    // "invalid Tag : " and the rest of the text when an element with content is not closed.
    static std::unique_ptr<TSGML> ParseElement(const char*& cursor);

    // The element as markup, one piece of text without a final line break: indent + "<" +
    // tag and its attributes; "/>" without children; else ">", CR LF, each child written with
    // indent + " ", and indent + "</tag>". Entries with an empty name or value are left out;
    // values pass through EscapeAttr.
    std::string WriteElement(std::string_view indent = {}) const;

    const std::string& GetTagName() const { return m_tagName; }
    void SetTagName(std::string name) { m_tagName = std::move(name); }

    // The value of the first entry whose name equals name without regard to (ASCII) letter
    // case; "" when there is none.
    std::string GetAttr(std::string_view name) const;
    // Removes the first entry whose name equals name exactly, then appends name=value.
    void SetAttr(std::string_view name, std::string_view value);
    // Appends an entry as it stands ("name=value"), without looking for an earlier one.
    void AddAttrEntry(std::string entry) { m_attrs.push_back(std::move(entry)); }

    int AttrCount() const { return static_cast<int>(m_attrs.size()); }
    // Name, value and whole entry of the i-th attribute (0-based); "" when i is out of range.
    std::string AttrName(int i) const;
    std::string AttrValue(int i) const;
    const std::string& AttrEntry(int i) const;

    // Appends child (none is ignored); the element owns it from then on.
    void AddChild(std::unique_ptr<TSGML> child);
    bool HasChildList() const { return m_hasChildList; }
    // Gives the element an empty child list (an element with content but no child yet).
    void CreateChildList() { m_hasChildList = true; }
    int ChildCount() const { return static_cast<int>(m_children.size()); }
    TSGML& Child(int i) { return *m_children.at(static_cast<std::size_t>(i)); }
    const TSGML& Child(int i) const { return *m_children.at(static_cast<std::size_t>(i)); }

private:
    static std::unique_ptr<TSGML> scanElement(const char*& cursor, int depth);
    static std::unique_ptr<TSGML> parseElement(const char*& cursor, const char* end, int depth);
    void writeElement(std::string_view indent, std::string& out) const;

    std::string m_tagName;
    std::vector<std::string> m_attrs;
    bool m_hasChildList = false;
    std::vector<std::unique_ptr<TSGML>> m_children;
};

// Elements nested deeper than this end the reading (the rest of the text is left unread by
// the fast reader; the pattern reader raises EMarkupError), so that hostile input cannot
// exhaust the stack.
constexpr int kMaxMarkupNesting = 1000;

// True for the tags that never have content (class, globalvalue, link, generator, cpattern);
// the comparison is case-sensitive.
bool IsLeafTag(std::string_view tagName);

// Attribute value escaping: % " < > become %25 %22 %3c %3e (the percent sign first), and a
// NUL byte becomes %00.
std::string EscapeAttr(std::string_view value);
// Replaces %3c, then %3e, then %22, then %25 (lower-case digits only), each everywhere.
std::string UnescapeAttr(std::string_view value);

}  // namespace varno
