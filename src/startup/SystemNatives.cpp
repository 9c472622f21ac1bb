// The System natives: the host program's version, locale, frame rate, stack size and end.
#include "startup/SystemNatives.h"

#include <spawn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/Path.h"
#include "resources/SystemPath.h"
#include "runtime/FrameLoop.h"
#include "runtime/Messages.h"
#include "runtime/NativeContract.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/ValueOps.h"

extern char** environ;

namespace varno {
namespace {

void CloseMainWindow() {
    if (const auto close = SystemHost().closeMainWindow) {
        close();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);  // the window's close ends the program at once, without running scripts
}

bool SpawnProgram(const std::string& hostFile) {
    char* argv[] = {const_cast<char*>(hostFile.c_str()), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, hostFile.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace

TSystemHost& SystemHost() {
    static TSystemHost host;
    return host;
}

void NativeSystemExit(TValue*, std::int32_t, std::int32_t) { CloseMainWindow(); }

void NativeSystemOpenIDE(TValue*, std::int32_t, std::int32_t) {
    const std::filesystem::path ide = HostPath(ResolvePath("Varno.exe", ProgramDirectory()));
    std::error_code error;
    if (std::filesystem::is_regular_file(ide, error)) {
        if (const auto start = SystemHost().startProgram) start(ide.string());
        else SpawnProgram(ide.string());
    }
    CloseMainWindow();
}

void NativeSystemEditCode(TValue*, std::int32_t, std::int32_t) {}

void NativeSystemVersion(TValue* slot, std::int32_t, std::int32_t) { SetInt(*slot, kSystemVersion); }

void NativeSystemLocale(TValue* slot, std::int32_t, std::int32_t) {
    SetString(*slot, GetMsg("locale"));
}

void NativeSystemSetStackSize(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    ProcessGlobals().defaultStackSize = ToInt(*NativeArg(slot, 1));
}

void NativeSystemSetFrameRate(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    const std::int32_t period = ToInt(*NativeArg(slot, 1));
    const std::int32_t cap = argCount >= 2 ? ToInt(*NativeArg(slot, 2)) : 0;
    TSystemHost& host = SystemHost();
    if (host.frameLoop != nullptr) {
        host.frameLoop->setFrameRate(period, cap);
        return;
    }
    if (period > 9) host.framePeriod = period;
    if (cap > 0) host.frameSkipCap = cap;
}

}  // namespace varno
