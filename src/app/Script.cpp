// --script: boot the kernel, compile one class file against it and run its class code to the end.
#include <cstdint>
#include <cstdio>
#include <optional>

#include "app/Modes.h"
#include "app/ScriptClass.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "base/Path.h"
#include "base/Text.h"
#include "resources/SystemPath.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "startup/Boot.h"

namespace varno {
namespace {

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

class TScriptRun {
public:
    TScriptRun(const std::string& file, const TCommandLine& line) : m_file(file), m_line(line) {}

    int run() {
        const std::optional<std::string> source = ReadFileBytes(m_file);
        if (!source) {
            std::fprintf(stderr, "varno: cannot read %s\n", m_file.c_str());
            return 2;
        }
        if (!BootKernel(m_line)) return 2;
        const TScriptClass script = CompileScriptClass(m_file, *source);
        const int status = script.cls ? runClassCode(*script.cls, script.systemPath, script.shift) : 1;
        ShutdownKernel();
        return status;
    }

private:
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
                own ? SourceLocation(systemPath, entry.number, m_file, shift, TSourceForm::Bytes)
                    : SourceLocation(entry.path, entry.number, HostPath(entry.path).string(), 0, TSourceForm::CrLfLines);
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
