// --script: boot the kernel, compile one class file against it and run its class code to the end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/Modes.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "base/Path.h"
#include "base/Text.h"
#include "compiler/Compiler.h"
#include "front/SourcePos.h"
#include "resources/MarkupFile.h"
#include "resources/SystemPath.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RTTI.h"
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

// Messages shown while the script runs go to standard error, one behind: the last one is
// held until the run has returned, so that the error that ended the run can be printed
// with its position instead.
class THeldMessages {
public:
    THeldMessages()
        : m_previous(SetMessageHandler([this](std::string_view text) {
              flush();
              m_held = std::string(text);
          })) {}
    ~THeldMessages() {
        flush();
        SetMessageHandler(m_previous);
    }
    THeldMessages(const THeldMessages&) = delete;
    THeldMessages& operator=(const THeldMessages&) = delete;

    void flush() {
        if (!m_held) return;
        std::fprintf(stderr, "%s\n", SjisToUtf8(*m_held).c_str());
        m_held.reset();
    }
    std::optional<std::string> take() {
        std::optional<std::string> held = std::move(m_held);
        m_held.reset();
        return held;
    }

private:
    MessageHandler m_previous;
    std::optional<std::string> m_held;
};

// How a source was read for compiling: the script as its bytes are, kernel classes as
// CR LF lines (the loader's form), which is what their byte offsets count.
enum class TSourceForm { Bytes, CrLfLines };

std::string Location(const std::string& systemPath, std::int32_t offset, const std::string& displayPath,
                     std::int32_t shift, TSourceForm form) {
    const auto bytes = ReadFileBytes(HostPath(systemPath));
    if (!bytes) return displayPath;
    const std::string text = form == TSourceForm::CrLfLines ? ToCrLfLines(*bytes) : *bytes;
    const TLineColumn at = LineColumnAt(text, std::max(0, offset - shift));
    return displayPath + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

class TScriptRun {
public:
    TScriptRun(const std::string& file, const TCommandLine& line) : m_file(file), m_line(line) {}

    int run() {
        const std::optional<std::string> source = ReadFileBytes(m_file);
        if (!source) {
            std::fprintf(stderr, "varno: cannot read %s\n", m_file.c_str());
            return 2;
        }
        if (!boot()) return 2;
        const int status = compileAndRun(*source);
        ShutdownKernel();
        return status;
    }

private:
    bool boot() {
        if (m_line.root) SetProgramDir(fs::absolute(*m_line.root));
        SetLogVerbose(m_line.verbose);
        Settings().Load(ProgramDirectory());
        try {
            InstallHostLayers();
            Boot();
        } catch (const EVarno& e) {
            std::fprintf(stderr, "varno: the kernel did not start: %s\n", SjisToUtf8(e.what()).c_str());
            return false;
        }
        if (m_line.stackSize) {
            ProcessGlobals().defaultStackSize = static_cast<std::int32_t>(std::min<std::int64_t>(*m_line.stackSize, INT32_MAX));
        }
        return true;
    }

    int compileAndRun(const std::string& fileText) {
        const std::string systemPath = SystemPath(fs::absolute(m_file));
        std::string source = fileText;
        std::int32_t shift = 0;
        if (!StartsWithExtends(source)) {
            source = std::string(kDefaultSuperclass) + source;  // same line: positions shift by the prefix only
            shift = static_cast<std::int32_t>(kDefaultSuperclass.size());
        }
        // The class is named after the file and hangs from the root, so that its name
        // (and its short name, when no kernel class has it) finds it.
        auto owned = std::make_unique<TRTTI>(BaseName(systemPath), systemPath, "script");
        TRTTI& cls = *owned;
        RootResource()->AddChild(std::move(owned));
        const std::optional<TCompileDiagnostic> error = CompileSource(cls, source, RootResource());
        if (error || !cls.Compiled()) {
            const std::int32_t offset = error ? error->offset : 0;
            const std::string message = error ? error->message : GetMsg("Syntax Error");
            std::fprintf(stderr, "%s: %s\n", Location(systemPath, offset, m_file, shift, TSourceForm::Bytes).c_str(),
                         SjisToUtf8(message).c_str());
            return 1;
        }
        return runClassCode(cls, systemPath, shift);
    }

    int runClassCode(TRTTI& cls, const std::string& systemPath, std::int32_t shift) {
        THeldMessages messages;
        TProcess* process = nullptr;
        try {
            TfObject* object = NewInstance(cls);
            process = TProcess::Create(*object);
        } catch (const EVarno& e) {
            messages.flush();
            std::fprintf(stderr, "%s: %s\n", m_file.c_str(), SjisToUtf8(e.what()).c_str());
            return 1;
        }
        process->pin();
        int status = 0;
        while (!process->halted()) {
            process->Run(kRunBudget);
            if (process->errorState() == 2) {
                status = 1;
                reportRunError(*process, messages.take().value_or("error"), systemPath, shift);
                break;
            }
            messages.flush();
        }
        messages.flush();
        TProcess::Free(process);
        process->unpin();
        std::fflush(stdout);
        return status;
    }

    // The error's text at the innermost frame's position, and where the script's own
    // code called it when that frame lies elsewhere.
    void reportRunError(const TProcess& process, const std::string& text, const std::string& systemPath,
                        std::int32_t shift) {
        const TTraceList trace = process.Trace();
        std::string where = m_file;
        std::string calledFrom;
        for (int i = 0; i < trace.count(); ++i) {
            const auto& entry = trace.entry(i);
            const bool own = SamePath(entry.path, systemPath);
            const std::string location =
                own ? Location(systemPath, entry.number, m_file, shift, TSourceForm::Bytes)
                    : Location(entry.path, entry.number, HostPath(entry.path).string(), 0, TSourceForm::CrLfLines);
            if (i == 0) where = location;
            if (own) {
                if (i > 0) calledFrom = location;
                break;
            }
        }
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", where.c_str(), SjisToUtf8(text).c_str());
        if (!calledFrom.empty()) std::fprintf(stderr, "  called from %s\n", calledFrom.c_str());
    }

    std::string m_file;
    const TCommandLine& m_line;
};

}  // namespace

int RunScript(const std::string& file, const TCommandLine& line) { return TScriptRun(file, line).run(); }

}  // namespace varno
