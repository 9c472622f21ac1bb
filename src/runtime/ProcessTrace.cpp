// What a process tells about itself: the call-stack trace, the stack dump and reports.
#include <cstdlib>

#include "runtime/Function.h"
#include "runtime/Interpreter.h"
#include "runtime/Log.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

// The code block a frame runs: its function's, or the class's own code in the bottom
// frame of a process that runs class code.
const TCompiledInfo* FrameCode(const TFrame& frame, const TRTTI* processClass) {
    if (frame.function != kNullRef) return static_cast<TNormalFunction*>(FromRef<TFunction>(frame.function))->Code();
    return processClass != nullptr ? processClass->Code() : nullptr;
}

}  // namespace

TTraceList TProcess::Trace() const {
    TTraceList trace;
    if (m_stackBase == nullptr || m_pc == nullptr) return trace;
    // The current frame is at the instruction PC names: one byte into it, so that a
    // source point recorded at the instruction itself counts as lying before it. Outer
    // frames are at their return addresses, just after their calls.
    const std::uint8_t* position = reinterpret_cast<const std::uint8_t*>(m_pc) + 1;
    for (const TFrame* frame = m_bp; frame != nullptr; frame = frame->caller()) {
        if (const TCompiledInfo* code = FrameCode(*frame, m_class)) {
            const std::string text = SourcePosition(*code, position);
            const std::size_t comma = text.rfind(',');
            if (comma != std::string::npos) {
                if (const TRTTI* cls = FindClass(std::string_view(text).substr(0, comma))) {
                    trace.add(cls->Src(), static_cast<std::int32_t>(std::atol(text.c_str() + comma + 1)));
                }
            }
        }
        position = FromRef<std::uint8_t>(frame->returnAddress);
    }
    return trace;
}

void TProcess::StackDump(std::vector<std::string>& lines) const {
    if (m_killed || m_stackBase == nullptr) return;
    const TValue* sp = m_sp;
    for (const TFrame* frame = m_bp; frame != nullptr; frame = frame->caller()) {
        lines.emplace_back("stacks");
        for (const TValue* slot = sp; slot <= &frame->local0; ++slot) lines.push_back(ToText(*slot));
        lines.push_back("args/this " + std::to_string(frame->argCount));
        const TValue* receiver = frame->receiver();
        for (std::int32_t i = frame->argCount - 1; i >= 0; --i) lines.push_back(ToText(receiver[-1 - i]));
        lines.push_back(ToText(*receiver));
        sp = receiver + 1;
    }
    lines.emplace_back("-----------");
    lines.push_back(ToText(*reinterpret_cast<const TValue*>(m_stackBase + m_stackSize - 8)));
}

void Report(TProcess& process, const std::string& text) {
    TProcessGlobals& globals = ProcessGlobals();
    if (text == globals.lastReport) return;
    globals.lastReport = text;
    const TTraceList trace = process.Trace();
    ErrorReport(text, &trace, true);
}

}  // namespace varno
