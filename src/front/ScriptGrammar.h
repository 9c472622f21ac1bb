// The script language's built-in grammar trees and the process-wide TYup that serves them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "front/LexList.h"
#include "front/Yup.h"

namespace varno {

// The lines of the built-in lexical tree (root "Lexical") and syntax tree (root "Grammar"),
// each ending with the terminator line "@".
const std::vector<std::string>& ScriptLexLines();
const std::vector<std::string>& ScriptGramLines();

// The system's TYup: loaded with the built-in trees, its OnCreateList wired to the node-class
// registry. It builds on its first Lex and lives until the process ends.
TYup& ScriptYup();

// Removes every comment token (kind "COMM") from a list the script scanner made; returns how many.
int32_t DropComments(TLexList& tokens);

// Splits text at line feeds into lines (a final line feed ends the last line).
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace varno
