// --check: scan and parse one class source and report the first error with its position.
#include <cstdio>

#include "app/Modes.h"
#include "base/Path.h"
#include "front/ScriptGrammar.h"
#include "front/SourcePos.h"

namespace varno {

// Exit status: 0 when the source is well-formed, 1 when it has an error (reported on standard
// error as FILE:LINE:COL: message), 2 when the file cannot be read at all.
int RunCheck(const std::string& file) {
    const std::optional<std::string> source = ReadFileBytes(file);
    if (!source) {
        std::fprintf(stderr, "varno: cannot read %s\n", file.c_str());
        return 2;
    }
    TYup& yup = ScriptYup();
    const std::unique_ptr<TLexList> tokens = yup.Lex(*source);
    DropComments(*tokens);
    std::unique_ptr<TResultList> tree = yup.Parse(*tokens);
    const bool parsed = tree != nullptr;
    tree.reset();
    TYup::EndParse();
    if (!parsed) {
        const TLineColumn at = LineColumnAt(*source, tokens->errorOffset());
        std::fprintf(stderr, "%s:%d:%d: Syntax Error\n", file.c_str(), at.line, at.column);
        return 1;
    }
    return 0;
}

}  // namespace varno
