// The compiled-class cache: a class whose source date is unchanged loads from Temp instead of compiling.
#include "resources/ClassCache.h"

#include <chrono>

#include "base/Error.h"
#include "base/Path.h"
#include "resources/MarkupFile.h"
#include "resources/SystemPath.h"
#include "runtime/ClassFile.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// True when the class now stands compiled from its cache file.
bool LoadFromCache(TRTTI& cls, const std::string& cacheFile, std::int32_t stamp) {
    const auto bytes = ReadFileBytes(HostPath(cacheFile));
    if (!bytes) return false;
    const TClock::time_point start = TClock::now();
    bool loaded = false;
    try {
        loaded = ReadClassFile(cls, *bytes, stamp);
    } catch (const EVarno&) {
        Log(GetMsg("not a valid Class File"));
        cls.Reset();
    }
    CompileStats().cacheSeconds += SecondsSince(start);
    if (loaded) ++CompileStats().fromCache;
    return loaded;
}

void StoreInCache(const TRTTI& cls, const std::string& cacheFile, std::int32_t stamp) {
    if (!IsWritablePath(cacheFile)) return;
    if (!WriteFileBytes(HostPath(cacheFile), WriteClassFile(cls, stamp))) {
        Log(cacheFile + GetMsg(" Cannot be saved."));  // a read-only Temp only costs time
    }
}

}  // namespace

TCompileStats& CompileStats() {
    static TCompileStats stats;
    return stats;
}

std::string ClassCacheName(std::string_view src) { return TempName(src, "c123_"); }

bool CompileClassCached(TRTTI& cls, std::string_view source, bool report) {
    std::string cacheFile;
    std::int32_t stamp = 0;
    if (!cls.Src().empty()) {
        Log("Compiling " + RelativePath(cls.Src(), ResourceBaseDir()));
        cacheFile = ClassCacheName(cls.Src());
        stamp = SourceStamp(HostPath(cls.Src()));
        if (LoadFromCache(cls, cacheFile, stamp)) return false;
    }
    const auto compile = RuntimeHooks().compileSource;
    if (!compile) {
        cls.SetCompileFailed(true);
        return true;
    }
    const TClock::time_point start = TClock::now();
    const bool failed = compile(cls, source, report);
    CompileStats().compileSeconds += SecondsSince(start);
    if (cls.Compiled()) ++CompileStats().compiled;
    if (!cacheFile.empty() && cls.Compiled() && !cls.CompileFailed()) StoreInCache(cls, cacheFile, stamp);
    return failed;
}

void CompileClassNode(TRTTI& cls) {
    const std::string text = ReadTextFile(cls.Src());
    CompileClassCached(cls, text, true);
}

}  // namespace varno
