// The tag lines of the resource writers, built from the catalogue's fixed texts.
#include "resources/TagText.h"

#include "resources/SGML.h"

namespace varno {
namespace {

// Appends  NAME="escaped value"  after a space.
void appendAttr(std::string& line, std::string_view name, std::string_view value) {
    line += ' ';
    line += name;
    line += "=\"";
    line += EscapeAttr(value);
    line += '"';
}

std::string_view entryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view entryValue(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    return equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
}

}  // namespace

std::string ResourceListOpenLine(std::string_view indent, std::string_view name) {
    std::string line(indent);
    line += "<resourcelist";
    appendAttr(line, "name", name);
    return line + ">";
}

std::string ResourceListCloseLine(std::string_view indent) { return std::string(indent) + "</resourcelist>"; }

std::string ClassLine(std::string_view indent, std::string_view name, std::string_view relativeSrc,
                      std::string_view category) {
    std::string line(indent);
    line += "<class";
    appendAttr(line, "name", name);
    appendAttr(line, "src", relativeSrc);
    appendAttr(line, "category", category);
    return line + "/>";
}

std::string GlobalValueLine(std::string_view indent, std::string_view name, std::string_view valueText) {
    std::string line(indent);
    line += "<globalvalue";
    appendAttr(line, "name", name);
    appendAttr(line, "value", valueText);
    return line + "/>";
}

std::string ParamLine(std::string_view indent, std::string_view name, std::string_view value) {
    std::string line(indent);
    line += "<param";
    appendAttr(line, "name", name);
    appendAttr(line, "value", value);
    return line + "/>";
}

std::string GeneratorLine(std::string_view className, std::string_view name, std::string_view relativeSrc,
                          const std::vector<std::string>& insts, const std::vector<std::string>& consts) {
    std::string line = "<generator";
    appendAttr(line, "className", className);
    appendAttr(line, "name", name);
    if (!relativeSrc.empty()) appendAttr(line, "src", relativeSrc);
    for (const std::string& entry : insts) appendAttr(line, "inst_" + std::string(entryName(entry)), entryValue(entry));
    for (const std::string& entry : consts) appendAttr(line, "const_" + std::string(entryName(entry)), entryValue(entry));
    return line + "/>";
}

std::string CPatternLine(std::string_view name, std::string_view relativeSrc) {
    std::string line = "<cpattern";
    appendAttr(line, "name", name);
    appendAttr(line, "src", relativeSrc);
    return line + "/>";
}

std::string PageEntryText(std::string_view name, std::string_view pageFile) {
    std::string line = "<page";
    appendAttr(line, "name", name);
    appendAttr(line, "src", pageFile);
    return line + "/>";
}

std::string ResinstText(std::string_view field, std::string_view text) {
    std::string line = "<resinst";
    appendAttr(line, "type", "string");
    appendAttr(line, "name", field);
    appendAttr(line, "value", text);
    return line + "/>";
}

}  // namespace varno
