// Log lines and error reports; the message box goes through the host's one message function.
#include "runtime/Log.h"

#include <cstdio>
#include <string>

#include "base/MessageBox.h"
#include "base/Text.h"
#include "runtime/Hooks.h"

namespace varno {
namespace {

bool g_ready = false;
bool g_verbose = false;

void PrintVerbose(std::string_view text, const TTraceList* trace) {
    if (!g_verbose) return;
    std::fprintf(stderr, "%s\n", SjisToUtf8(text).c_str());
    if (trace != nullptr) {
        for (int i = 0; i < trace->count(); ++i) {
            const auto& entry = trace->entry(i);
            std::fprintf(stderr, "  at %s:%d\n", SjisToUtf8(entry.path).c_str(), static_cast<int>(entry.number));
        }
    }
    std::fflush(stderr);
}

}  // namespace

TRuntimeHooks& RuntimeHooks() {
    static TRuntimeHooks hooks;
    return hooks;
}

void ErrorReport(std::string_view text, const TTraceList* trace, bool show) {
    // Copy the hook: a side duty may replace the hooks while it runs.
    if (auto duties = RuntimeHooks().reportSideDuties) duties();
    if (show) ShowMessage(text);  // headless, the message box itself goes to standard error
    else PrintVerbose(text, trace);
}

void Log(std::string_view text) { ErrorReport(text, nullptr, false); }

void LogWithTrace(std::string_view text, const TTraceList& trace) { ErrorReport(text, &trace, false); }

void ReportError(std::string_view text, bool show) { ErrorReport(text, nullptr, show); }

void ReportSourceError(std::string_view text, std::string_view sourcePath, std::int32_t position, bool show) {
    TTraceList trace;
    trace.add(std::string(sourcePath), position);
    ErrorReport(text, &trace, show);
}

void StatusText(std::string_view) {}

void SetReady(bool ready) { g_ready = ready; }
bool Ready() { return g_ready; }

void SetLogVerbose(bool verbose) { g_verbose = verbose; }
bool LogVerbose() { return g_verbose; }

}  // namespace varno
