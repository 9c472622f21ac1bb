// --check and --list: compile one class source against the kernel; report the first error
// with its position, or print the code listing of every block of the class.
#include <cstdio>

#include "app/Modes.h"
#include "app/ScriptClass.h"
#include "base/Path.h"
#include "compiler/Listing.h"
#include "front/ScriptGrammar.h"
#include "front/SourcePos.h"
#include "startup/Boot.h"

namespace varno {
namespace {

// Without a kernel to compile against, only the syntax can be checked.
int checkSyntaxOnly(const std::string& file, const std::string& source) {
    TYup& yup = ScriptYup();
    const std::unique_ptr<TLexList> tokens = yup.Lex(source);
    DropComments(*tokens);
    std::unique_ptr<TResultList> tree = yup.Parse(*tokens);
    const bool parsed = tree != nullptr;
    tree.reset();
    TYup::EndParse();
    if (!parsed) {
        const TLineColumn at = LineColumnAt(source, tokens->errorOffset());
        std::fprintf(stderr, "%s:%d:%d: Syntax Error\n", file.c_str(), at.line, at.column);
        return 1;
    }
    return 0;
}

enum class TAfterCompile { Nothing, List };

int compileAgainstKernel(const std::string& file, const std::string& source, const TCommandLine& line,
                         TAfterCompile after) {
    if (!BootKernel(line)) return 2;
    const TScriptClass script = CompileScriptClass(file, source);
    if (script.cls && after == TAfterCompile::List) {
        TLines lines;
        ListClass(*script.cls, lines);
        for (const std::string& text : lines) std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
    ShutdownKernel();
    return script.cls ? 0 : 1;
}

}  // namespace

int RunCheck(const std::string& file, const TCommandLine& line) {
    const std::optional<std::string> source = ReadFileBytes(file);
    if (!source) {
        std::fprintf(stderr, "varno: cannot read %s\n", file.c_str());
        return 2;
    }
    if (!KernelPresent(line)) return checkSyntaxOnly(file, *source);
    return compileAgainstKernel(file, *source, line, TAfterCompile::Nothing);
}

int RunList(const std::string& file, const TCommandLine& line) {
    const std::optional<std::string> source = ReadFileBytes(file);
    if (!source) {
        std::fprintf(stderr, "varno: cannot read %s\n", file.c_str());
        return 2;
    }
    return compileAgainstKernel(file, *source, line, TAfterCompile::List);
}

}  // namespace varno
