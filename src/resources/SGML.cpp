// The element record of the resource markup, its attribute entries, writer and escaping.
#include "resources/SGML.h"

#include "base/Text.h"

namespace varno {
namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares two names without regard to ASCII letter case. The second byte of a double-byte
// character is compared exactly: it may have a letter's code without being a letter.
bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view entryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view entryValue(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    return equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

}  // namespace

bool IsLeafTag(std::string_view tagName) {
    return tagName == "class" || tagName == "globalvalue" || tagName == "link" || tagName == "generator" ||
           tagName == "cpattern";
}

std::string EscapeAttr(std::string_view value) {
    std::string text(value);
    replaceAll(text, "%", "%25");
    replaceAll(text, "\"", "%22");
    replaceAll(text, "<", "%3c");
    replaceAll(text, ">", "%3e");
    // A NUL byte would end the text when the file is read again, losing all that follows it;
    // the fast reader decodes %00 back to the byte.
    replaceAll(text, std::string_view("\0", 1), "%00");
    return text;
}

std::string UnescapeAttr(std::string_view value) {
    std::string text(value);
    replaceAll(text, "%3c", "<");
    replaceAll(text, "%3e", ">");
    replaceAll(text, "%22", "\"");
    replaceAll(text, "%25", "%");
    return text;
}

std::string TSGML::GetAttr(std::string_view name) const {
    for (const std::string& entry : m_attrs) {
        if (sameNameIgnoringCase(entryName(entry), name)) return std::string(entryValue(entry));
    }
    return {};
}

void TSGML::SetAttr(std::string_view name, std::string_view value) {
    for (auto it = m_attrs.begin(); it != m_attrs.end(); ++it) {
        if (entryName(*it) == name) {
            m_attrs.erase(it);
            break;
        }
    }
    std::string entry(name);
    entry += '=';
    entry += value;
    m_attrs.push_back(std::move(entry));
}

std::string TSGML::AttrName(int i) const { return std::string(entryName(AttrEntry(i))); }

std::string TSGML::AttrValue(int i) const { return std::string(entryValue(AttrEntry(i))); }

const std::string& TSGML::AttrEntry(int i) const {
    static const std::string none;
    if (i < 0 || i >= AttrCount()) return none;
    return m_attrs[static_cast<std::size_t>(i)];
}

void TSGML::AddChild(std::unique_ptr<TSGML> child) {
    m_hasChildList = true;
    if (child) m_children.push_back(std::move(child));
}

std::string TSGML::WriteElement(std::string_view indent) const {
    std::string out;
    writeElement(indent, out);
    return out;
}

void TSGML::writeElement(std::string_view indent, std::string& out) const {
    out += indent;
    out += '<';
    out += m_tagName;
    for (const std::string& entry : m_attrs) {
        // Only entries with a name and a value are written. The whole value is written, line
        // breaks included (a pattern test with "." would drop a value holding a line feed).
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == entry.size()) continue;
        out += ' ';
        out.append(entry, 0, equals);
        out += "=\"";
        out += EscapeAttr(std::string_view(entry).substr(equals + 1));
        out += '"';
    }
    if (m_children.empty()) {
        out += "/>";
        return;
    }
    out += ">\r\n";
    const std::string childIndent = std::string(indent) + " ";
    for (const auto& child : m_children) child->writeElement(childIndent, out);
    out += indent;
    out += "</";
    out += m_tagName;
    out += '>';
}

}  // namespace varno
