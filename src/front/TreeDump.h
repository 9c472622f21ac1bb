// Parse trees as text, for tests, saved reference dumps and debugging.
#pragma once

#include <string>
#include <string_view>

#include "front/ResultList.h"

namespace varno {

// One line per node and token, indented two spaces per level. A node shows its class without
// "G_" ("While", "Err" for an unnamed group); a token shows its kind, text and byte offset
// ("SYMBOL 'x' @12"), the kind left out where it equals the text ("'(' @14").
std::string DumpTree(const TResultList& node, std::string_view source);

// The tree on one line: a node is Name[items], an unnamed group [items], a token its text;
// maxDepth levels of nodes show their items (negative: all), deeper ones show only <Name>;
// an unnamed group is always shown and takes no level of its own.
// Example: If[if ( <Expr> ) <ExprS> [else <ExprS>]]
std::string DumpLine(const TResultList& node, std::string_view source, int maxDepth = -1);

}  // namespace varno
