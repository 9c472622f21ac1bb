// The fast reader of the resource markup: one pass over the bytes, no error ever raised.
#include "resources/SGML.h"

#include "base/Text.h"

#include <cstring>

namespace varno {
namespace {

bool isWhite(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x01 && b <= 0x20;
}

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void skipWhite(const char*& p) {
    while (isWhite(*p)) ++p;
}

// An attribute name: name characters and double-byte characters. The byte after a lead byte
// belongs to the name whatever it is (an "=" or a quote included), and ends the character,
// so that a trail byte with a letter's code does not pull the next byte into the name too.
std::string readAttrName(const char*& p) {
    std::string name;
    bool afterLead = false;
    while (*p != '\0') {
        const char c = *p;
        if (afterLead) {
            afterLead = false;
        } else if (IsLeadByte(static_cast<unsigned char>(c))) {
            afterLead = true;
        } else if (!isNameChar(c)) {
            break;
        }
        name += c;
        ++p;
    }
    return name;
}

}  // namespace

std::unique_ptr<TSGML> TSGML::ScanElement(const char*& cursor) { return scanElement(cursor, 0); }

std::unique_ptr<TSGML> TSGML::scanElement(const char*& p, int depth) {
    // 1. Skip to the next tag.
    while (*p != '\0' && *p != '<') ++p;
    if (*p == '\0') return nullptr;
    // 2. A closing tag ends the caller's list of children; the cursor stays on its "<".
    if (p[1] == '/') return nullptr;
    if (depth >= kMaxMarkupNesting) {
        p += std::strlen(p);  // too deep to be a resource file: the rest is not read
        return nullptr;
    }
    ++p;

    // 3. The tag name.
    auto element = std::make_unique<TSGML>();
    skipWhite(p);
    const char* name = p;
    while (isNameChar(*p)) ++p;
    element->m_tagName.assign(name, p);

    // 4. Attributes, up to ">" (content follows) or "/" (no content). Whenever the text ends
    // the element is returned as far as it was built.
    bool hasContent = false;
    for (;;) {
        skipWhite(p);
        if (*p == '\0') return element;
        if (*p == '>') {
            ++p;
            hasContent = true;
            break;
        }
        if (*p == '/') {
            ++p;
            if (*p != '\0') ++p;  // the ">" of "/>", or whatever stands there
            break;
        }
        std::string entry = readAttrName(p);
        // Whatever stands between the name and the opening quote is passed over.
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '\0') return element;
        ++p;
        entry += '=';
        for (;;) {
            const char c = *p;
            if (c == '\0') return element;  // no closing quote: the attribute is dropped
            if (c == '"') break;
            if (c == '%') {
                // %HH gives the byte HH; two bytes are consumed whatever they are, and two
                // that are not hexadecimal give a byte 0.
                if (p[1] == '\0' || p[2] == '\0') {
                    p += std::strlen(p);
                    return element;
                }
                const int high = hexDigit(p[1]);
                const int low = hexDigit(p[2]);
                entry += static_cast<char>(high >= 0 && low >= 0 ? high * 16 + low : 0);
                p += 3;
                continue;
            }
            entry += c;
            ++p;
        }
        ++p;  // the closing quote
        element->m_attrs.push_back(std::move(entry));
    }

    // 5. Leaf tags are complete after their opening tag.
    if (IsLeafTag(element->m_tagName)) hasContent = false;

    // 6. Children up to any closing tag, which is consumed whatever its name.
    if (hasContent) {
        element->m_hasChildList = true;
        while (auto child = scanElement(p, depth + 1)) element->m_children.push_back(std::move(child));
        while (*p != '\0' && *p != '>') ++p;
        if (*p == '>') ++p;
    }
    return element;
}

}  // namespace varno
