// Booting for the command-line modes, and compiling one class file against the kernel.
#include "app/ScriptClass.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "base/Error.h"
#include "base/Path.h"
#include "base/Text.h"
#include "compiler/Compiler.h"
#include "front/SourcePos.h"
#include "resources/MarkupFile.h"
#include "resources/SystemPath.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "startup/Boot.h"
#include "startup/Settings.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDefaultSuperclass = "extends classes.lang.Object;";

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// True when the first word of source, after blanks and comments, is "extends".
bool StartsWithExtends(std::string_view source) {
    std::size_t i = 0;
    while (i < source.size()) {
        const char c = source[i];
        if (static_cast<unsigned char>(c) <= ' ') {
            ++i;
        } else if (source.substr(i, 2) == "//") {
            i = source.find('\n', i);
            if (i == std::string_view::npos) return false;
        } else if (source.substr(i, 2) == "/*") {
            i = source.find("*/", i + 2);
            if (i == std::string_view::npos) return false;
            i += 2;
        } else {
            break;
        }
    }
    constexpr std::string_view word = "extends";
    if (source.size() - i < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        if ((source[i + k] | 0x20) != word[k]) return false;
    }
    return i + word.size() == source.size() || !IsNameChar(source[i + word.size()]);
}

void applyRoot(const TCommandLine& line) {
    if (line.root) SetProgramDir(fs::absolute(*line.root));
}

}  // namespace

std::string SourceLocation(const std::string& systemPath, std::int32_t offset, const std::string& displayPath,
                           std::int32_t shift, TSourceForm form) {
    const auto bytes = ReadFileBytes(HostPath(systemPath));
    if (!bytes) return displayPath;
    const std::string text = form == TSourceForm::CrLfLines ? ToCrLfLines(*bytes) : *bytes;
    const TLineColumn at = LineColumnAt(text, std::max(0, offset - shift));
    return displayPath + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

bool KernelPresent(const TCommandLine& line) {
    applyRoot(line);
    std::error_code ec;
    return fs::exists(HostPath("Kernel\\resource.varnores", ProgramDir()), ec);
}

bool BootKernel(const TCommandLine& line) {
    applyRoot(line);
    SetLogVerbose(line.verbose);
    Settings().Load(ProgramDirectory());
    try {
        InstallHostLayers();
        Boot();
    } catch (const EVarno& e) {
        std::fprintf(stderr, "varno: the kernel did not start: %s\n", SjisToUtf8(e.what()).c_str());
        return false;
    }
    if (line.stackSize) {
        ProcessGlobals().defaultStackSize = static_cast<std::int32_t>(std::min<std::int64_t>(*line.stackSize, INT32_MAX));
    }
    return true;
}

TScriptClass CompileScriptClass(const std::string& file, const std::string& fileText) {
    TScriptClass result;
    result.systemPath = SystemPath(fs::absolute(file));
    std::string source = fileText;
    if (!StartsWithExtends(source)) {
        source = std::string(kDefaultSuperclass) + source;  // same line: positions shift by the prefix only
        result.shift = static_cast<std::int32_t>(kDefaultSuperclass.size());
    }
    // The class is named after the file and hangs from the root, so that its name (and
    // its short name, when no kernel class has it) finds it.
    auto owned = std::make_unique<TRTTI>(BaseName(result.systemPath), result.systemPath, "script");
    TRTTI& cls = *owned;
    RootResource()->AddChild(std::move(owned));
    const std::optional<TCompileDiagnostic> error = CompileSource(cls, source, RootResource());
    if (error || !cls.Compiled()) {
        const std::int32_t offset = error ? error->offset : 0;
        const std::string message = error ? error->message : GetMsg("Syntax Error");
        std::fprintf(stderr, "%s: %s\n",
                     SourceLocation(result.systemPath, offset, file, result.shift, TSourceForm::Bytes).c_str(),
                     SjisToUtf8(message).c_str());
        return result;
    }
    result.cls = &cls;
    return result;
}

}  // namespace varno
