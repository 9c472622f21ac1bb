// Reading the indented grammar notation into node trees, linking names, and first sets.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "front/GrammarNode.h"
#include "front/Yup.h"

namespace varno {

enum class TTreeType { Lexical, Syntax };

// Reads the tree whose root is line 0. In a syntax tree, terminals link to the top-level nodes
// of lexRoot and onCreateList supplies each node's prototype. Shows the warning and fault
// message boxes as it goes; throws EGrammar when lines run out (no terminator line) or the
// syntax tree has no OnCreateList handler.
std::unique_ptr<TGrammarNode> ReadGrammarTree(const std::vector<std::string>& lines, TTreeType type,
                                              const TCrLst* onCreateList, const TGrammarNode* lexRoot);

// Links every reference to the first top-level node of its name; a reference that finds
// nothing but itself becomes a sequence of its own children, matched once.
void LinkReferences(TGrammarNode& root);

// Computes the least first sets of a linked lexical tree.
void ComputeFirstSets(TGrammarNode& root);

// The first top-level node (a child of root) with that name, or nullptr.
const TGrammarNode* FindTopLevel(const TGrammarNode& root, std::string_view name);

// Shows the fault message box: the Shift-JIS text "バグ発生:" followed by text.
void ShowGrammarFault(std::string_view text);

}  // namespace varno
