// Writing parse trees as text.
#include "front/TreeDump.h"

#include "front/LexElem.h"

namespace varno {
namespace {

std::string_view nodeName(const TResultList& node) {
    std::string_view name = node.typeName();
    if (name.substr(0, 2) == "G_") name.remove_prefix(2);
    return name;
}

std::string_view tokenText(const TLexElem& token, std::string_view source) {
    if (token.start() < 0 || token.end() > static_cast<int32_t>(source.size()) || token.end() < token.start()) {
        return "?";
    }
    return source.substr(token.start(), token.end() - token.start());
}

void dumpTree(const TResultList& node, std::string_view source, int level, std::string& out) {
    out.append(level * 2, ' ');
    out.append(nodeName(node));
    out.push_back('\n');
    for (int32_t i = 0; i < node.count(); ++i) {
        if (const TLexElem* token = node.token(i)) {
            out.append((level + 1) * 2, ' ');
            const std::string_view text = tokenText(*token, source);
            if (token->kindName() != text) {
                out.append(token->kindName());
                out.push_back(' ');
            }
            out.push_back('\'');
            out.append(text);
            out.append("' @");
            out.append(std::to_string(token->start()));
            out.push_back('\n');
        } else {
            dumpTree(*node.list(i), source, level + 1, out);
        }
    }
}

void dumpLine(const TResultList& node, std::string_view source, int depth, std::string& out) {
    const std::string_view name = nodeName(node);
    if (depth == 0 && name != "Err") {
        out.push_back('<');
        out.append(name);
        out.push_back('>');
        return;
    }
    if (name != "Err") out.append(name);
    out.push_back('[');
    for (int32_t i = 0; i < node.count(); ++i) {
        if (i > 0) out.push_back(' ');
        if (const TLexElem* token = node.token(i)) {
            out.append(tokenText(*token, source));
        } else {
            // Unnamed groups take no level of their own: their items count as the node's.
            const TResultList& child = *node.list(i);
            dumpLine(child, source, nodeName(child) == "Err" ? depth : depth - 1, out);
        }
    }
    out.push_back(']');
}

}  // namespace

std::string DumpTree(const TResultList& node, std::string_view source) {
    std::string out;
    dumpTree(node, source, 0, out);
    return out;
}

std::string DumpLine(const TResultList& node, std::string_view source, int maxDepth) {
    std::string out;
    dumpLine(node, source, maxDepth < 0 ? -1 : maxDepth, out);
    return out;
}

}  // namespace varno
