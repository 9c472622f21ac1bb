// The natives of the kernel class System: leaving the program, version, locale, frame rate, stack size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "runtime/Native.h"

namespace varno {

class TFrameLoop;

// What the System natives act on. The window layer fills it in; headless the defaults
// apply: closing the main window ends the process at once (output flushed), and the
// frame rate is kept here for the frame loop to come.
struct TSystemHost {
    std::function<void()> closeMainWindow;  // empty: flush standard output and end the process
    std::function<bool(const std::string&)> startProgram;  // empty: posix_spawn of the file
    TFrameLoop* frameLoop = nullptr;  // when there is one, the frame rate goes to it
    int framePeriod = 17;              // milliseconds, without a frame loop
    int frameSkipCap = 7;              // most frames in one batch, without a frame loop
};
TSystemHost& SystemHost();

// The version number scripts see (1.23).
constexpr std::int32_t kSystemVersion = 1230;

void NativeSystemExit(TValue* slot, std::int32_t argCount, std::int32_t);          // _n_exit
void NativeSystemOpenIDE(TValue* slot, std::int32_t argCount, std::int32_t);       // _n_openIDE
void NativeSystemEditCode(TValue* slot, std::int32_t argCount, std::int32_t);      // _n_editCode
void NativeSystemVersion(TValue* slot, std::int32_t argCount, std::int32_t);       // _n_version
void NativeSystemLocale(TValue* slot, std::int32_t argCount, std::int32_t);        // _n_locale
void NativeSystemSetStackSize(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_setStackSize(size)
void NativeSystemSetFrameRate(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_setFrameRate(period [, batch])

}  // namespace varno
