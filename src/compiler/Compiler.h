// The compile entry: one class source through scanner, parser and code generators into a TRTTI.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varno {

class TRTTI;
class TResource;

// Installs every node generator into the front end's table, and the compiler's hooks
// (re-linking, compiling source text) into RuntimeHooks(). Call once at start-up (and
// in tests); calling it again changes nothing.
void InstallCompiler();

enum class TDiagnosticKind { Syntax, Compile };

// The first error of a compile, not shown to anyone.
struct TCompileDiagnostic {
    TDiagnosticKind kind = TDiagnosticKind::Compile;
    // Byte offset in the source: the most recently matched token start for a syntax
    // error (0 when none matched), the statement being compiled for a compile error.
    std::int32_t offset = 0;
    // "Syntax Error" (through the message table) for a syntax error; the exception's
    // text for a compile error ("ClassName:message" for ECmpError).
    std::string message;
};

// Compiles source as the source of cls, looking names up from root (may be null), and
// returns the first error instead of reporting it; nothing when the source compiled.
// A class whose superclass is not compiled yet stays uncompiled without an error: ask
// cls.Compiled(). cls should be fresh or reset. Marks cls failed on an error.
std::optional<TCompileDiagnostic> CompileSource(TRTTI& cls, std::string_view source, TResource* root);

// For `varno --check`: compiles source as a throw-away class of the given name (findable
// by that name while it compiles, when the name is free) against root, and returns the
// first error; nothing when it compiled. A superclass that exists but is not compiled is
// reported as a compile error, since nothing would compile it later.
std::optional<TCompileDiagnostic> CheckClassSource(const std::string& className, std::string_view source,
                                                   TResource* root);

// The compile entry of the resource loader and of evaluation: compiles source as the
// source of cls against the resource tree's root. True when compilation failed; when
// report is set the error is shown (a syntax error as "Syntax Error" followed by the
// class's source path) with the class's source path and the error's byte offset.
// False does not mean compiled: the superclass may not be compiled yet.
bool CompileClass(TRTTI& cls, std::string_view source, bool report);

}  // namespace varno
