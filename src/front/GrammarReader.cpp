// Reads grammar trees written as indented lines: the depth of a line is its number of leading
// spaces, and the first characters of its body say what the node matches.
#include "front/GrammarReader.h"

#include "base/MessageBox.h"
#include "front/GrammarError.h"

namespace varno {
namespace {

// "バグ発生:" in Shift-JIS.
constexpr std::string_view kFaultPrefix = "\x83\x6F\x83\x4F\x94\xAD\x90\xB6:";

int32_t depthOf(const std::string& line) {
    int32_t depth = 0;
    while (depth < static_cast<int32_t>(line.size()) && line[depth] == ' ') ++depth;
    return depth;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of the hexadecimal digits that open text; 0 when there are none, -1 above 255.
int hexByte(std::string_view text) {
    int value = 0;
    for (char c : text) {
        const int digit = hexValue(c);
        if (digit < 0) break;
        value = value * 16 + digit;
        if (value > 255) return -1;
    }
    return value;
}

// A range bound: "'x" is the byte x, "$hh" the hexadecimal value, anything else 0.
uint8_t boundOf(std::string_view text) {
    if (text.size() >= 2 && text[0] == '\'') return static_cast<uint8_t>(text[1]);
    if (!text.empty() && text[0] == '$') {
        const int value = hexByte(text.substr(1));
        return value < 0 ? 0 : static_cast<uint8_t>(value);
    }
    return 0;
}

class TReader {
public:
    TReader(const std::vector<std::string>& lines, TTreeType type, const TCrLst* onCreateList,
            const TGrammarNode* lexRoot)
        : m_lines(lines), m_type(type), m_onCreateList(onCreateList), m_lexRoot(lexRoot) {}

    void read(TGrammarNode& node) {
        const std::string& line = lineAt(m_cursor);
        const int32_t depth = depthOf(line);
        if (!line.empty() && line.back() == ' ') ShowMessage("Wanring: extra space in " + line);
        const std::string body = line.substr(depth);
        node.kind = TNodeKind::Sequence;
        node.link = &node;
        if (m_type == TTreeType::Lexical) node.first = std::make_unique<TFirst>();
        interpret(node, body, depth);
        if (m_type == TTreeType::Syntax) createPrototype(node);
        ++m_cursor;

        int32_t count = 0;
        for (size_t i = m_cursor;; ++i) {
            const int32_t d = depthOf(lineAt(i));
            if (d <= depth) break;
            if (d == depth + 1) ++count;
        }
        node.childCount = count;
        node.children = std::make_unique<TGrammarNode[]>(count);
        for (int32_t i = 0; i < count; ++i) read(node.children[i]);
    }

private:
    const std::string& lineAt(size_t index) const {
        if (index >= m_lines.size()) {
            const std::string root = m_lines.empty() ? std::string() : m_lines[0];
            throw EGrammar("grammar tree \"" + root + "\" ends at line " + std::to_string(m_lines.size()) +
                           " without a terminator line");
        }
        return m_lines[index];
    }

    void interpret(TGrammarNode& node, const std::string& body, int32_t depth) {
        const bool lexical = m_type == TTreeType::Lexical;
        const char c = body.empty() ? '\0' : body[0];
        if (c == '\'') {
            node.kind = TNodeKind::Literal;
            node.name = body.substr(1);
            if (lexical) {
                if (!node.name.empty()) node.first->add(static_cast<uint8_t>(node.name[0]));
            } else {
                linkTerminal(node);
            }
        } else if (c == '$' && lexical) {
            node.kind = TNodeKind::Literal;
            const int value = hexByte(std::string_view(body).substr(1));
            node.name = std::string(1, static_cast<char>(value < 0 ? 0 : value));
            node.first->add(static_cast<uint8_t>(node.name[0]));
        } else if (c == '-' && lexical) {
            node.kind = TNodeKind::Range;
            node.name = body.substr(1);
            readBounds(node, depth);
        } else if (c == '[' || c == '{') {
            node.kind = TNodeKind::Sequence;
            node.name = body.size() > 2 ? body.substr(2) : std::string();
            const bool optional = c == '[' && body.size() >= 2 && body[1] == ']';
            node.min = c == '{' || optional ? 0 : 1;
            node.max = optional ? 1 : kUnbounded;
            if (lexical && node.min == 0) node.first->addAll();
        } else if (c == '|') {
            node.kind = TNodeKind::Choice;
            node.name = body.substr(1);
        } else {
            node.kind = TNodeKind::Reference;
            node.name = body;
        }
    }

    // The two child lines of a range give its lowest and highest byte.
    void readBounds(TGrammarNode& node, int32_t depth) {
        const auto boundLine = [&](size_t index) {
            const std::string& line = lineAt(index);
            return std::string_view(line).substr(std::min<size_t>(line.size(), depth + 1));
        };
        node.lo = boundOf(boundLine(m_cursor + 1));
        node.hi = boundOf(boundLine(m_cursor + 2));
        if (node.lo == 0 || node.hi == 0) {
            ShowGrammarFault("Please Put '' or $ at the first letters of each children");
        }
        if (node.lo <= node.hi) node.first->addRange(node.lo, node.hi);
    }

    void linkTerminal(TGrammarNode& node) {
        const TGrammarNode* target = m_lexRoot ? FindTopLevel(*m_lexRoot, node.name) : nullptr;
        if (target) {
            node.link = const_cast<TGrammarNode*>(target);
        } else {
            ShowGrammarFault(node.name + " is not linked.");
        }
    }

    void createPrototype(TGrammarNode& node) {
        if (!m_onCreateList || !*m_onCreateList) throw EGrammar("No onCreateList Assigned");
        TResListGetter getter;
        getter.name = node.name;
        (*m_onCreateList)(getter);
        if (!getter.list) throw EGrammar("OnCreateList gave no list for \"" + node.name + "\"");
        node.prototype = std::move(getter.list);
    }

    const std::vector<std::string>& m_lines;
    TTreeType m_type;
    const TCrLst* m_onCreateList;
    const TGrammarNode* m_lexRoot;
    size_t m_cursor = 0;
};

void linkNode(TGrammarNode& root, TGrammarNode& node) {
    if (node.kind == TNodeKind::Reference) {
        const TGrammarNode* target = FindTopLevel(root, node.name);
        if (target && target != &node) {
            node.link = const_cast<TGrammarNode*>(target);
        } else {
            node.kind = TNodeKind::Sequence;
            node.min = 1;
            node.max = 1;
        }
    }
    for (int32_t i = 0; i < node.childCount; ++i) linkNode(root, node.children[i]);
}

bool updateFirst(TGrammarNode& node) {
    bool changed = false;
    for (int32_t i = 0; i < node.childCount; ++i) changed |= updateFirst(node.children[i]);
    switch (node.kind) {
        case TNodeKind::Choice:
            for (int32_t i = 0; i < node.childCount; ++i) changed |= node.first->unite(*node.children[i].first);
            break;
        case TNodeKind::Reference:
            if (node.link != &node) changed |= node.first->unite(*node.link->first);
            break;
        case TNodeKind::Sequence:
            if (node.childCount > 0) changed |= node.first->unite(*node.children[0].first);
            break;
        case TNodeKind::Literal:
        case TNodeKind::Range:
            break;
    }
    return changed;
}

}  // namespace

std::unique_ptr<TGrammarNode> ReadGrammarTree(const std::vector<std::string>& lines, TTreeType type,
                                              const TCrLst* onCreateList, const TGrammarNode* lexRoot) {
    auto root = std::make_unique<TGrammarNode>();
    TReader(lines, type, onCreateList, lexRoot).read(*root);
    return root;
}

void LinkReferences(TGrammarNode& root) { linkNode(root, root); }

void ComputeFirstSets(TGrammarNode& root) {
    bool changed = true;
    while (changed) {
        changed = false;
        for (int32_t i = 0; i < root.childCount; ++i) changed |= updateFirst(root.children[i]);
    }
}

const TGrammarNode* FindTopLevel(const TGrammarNode& root, std::string_view name) {
    for (int32_t i = 0; i < root.childCount; ++i) {
        if (root.children[i].name == name) return &root.children[i];
    }
    return nullptr;
}

void ShowGrammarFault(std::string_view text) {
    std::string message(kFaultPrefix);
    message.append(text);
    ShowMessage(message);
}

}  // namespace varno
