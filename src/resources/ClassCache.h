// Compiling class nodes at initialization, through the compiled-class cache in Temp.
#pragma once

#include <string>
#include <string_view>

namespace varno {

class TRTTI;

// The cache file of a class source: TempName(src, "c123_").
std::string ClassCacheName(std::string_view src);

// Compiles source as the class cls (the compiler's entry, RuntimeHooks().compileSource),
// around it the cache for a class with a Src: logs "Compiling " + its relative path, then
// loads the class from its cache file when version, source date and superclass match
// (a file that cannot be read logs "not a valid Class File" and the source compiles);
// after a compile that leaves the class compiled, the cache file is written. Returns true
// when compilation failed. Without a compiler the class is marked failed.
bool CompileClassCached(TRTTI& cls, std::string_view source, bool report);

// The compileClass hook of an initialization pass: reads the class's Src as text lines
// (a missing file shows " is not found." and raises EFileOpenError) and compiles it with
// error reports on.
void CompileClassNode(TRTTI& cls);

// Counters for the boot figures: time spent in the compiler proper (waiting attempts
// included) and in cache loads, and how many classes were compiled or loaded.
struct TCompileStats {
    double compileSeconds = 0;
    double cacheSeconds = 0;
    int compiled = 0;
    int fromCache = 0;
};
TCompileStats& CompileStats();

}  // namespace varno
