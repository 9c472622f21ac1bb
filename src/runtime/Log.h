// The system log and error reports: progress lines keep nothing, reports show a message box.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/TraceList.h"

namespace varno {

// The common routine: does the side duties of a long operation (keeping music fed,
// windows responsive, the busy mark and the progress bar; installed as a hook by those
// subsystems), then shows text in a message box when show is true. The trace is kept for
// the record: with verbose logging its entries go to standard error; it is never shown.
void ErrorReport(std::string_view text, const TTraceList* trace, bool show);

// A progress line: the side duties only (and standard error with verbose logging).
void Log(std::string_view text);
void LogWithTrace(std::string_view text, const TTraceList& trace);

// An error report without a trace.
void ReportError(std::string_view text, bool show);

// An error report whose trace is the one entry (source path, byte offset).
void ReportSourceError(std::string_view text, std::string_view sourcePath, std::int32_t position, bool show);

// Accepts a status text and keeps nothing.
void StatusText(std::string_view text);

// The "ready" flag: start-up sets it when it has finished; the screen's paint reads it.
void SetReady(bool ready);
bool Ready();

// --verbose: log lines (and report texts) also go to standard error, as UTF-8.
void SetLogVerbose(bool verbose);
bool LogVerbose();

}  // namespace varno
