// The runtime's calls upward: operations that higher layers install at start-up.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/Forward.h"

namespace varno {

// The runtime sits at the bottom of the dependency order. Where one of its operations
// needs a service of a higher layer (the interpreter, the compiler, the resource loader,
// the screen), it calls the hook that layer installs. An empty hook means "that layer is
// not there": each use says what happens then.
struct TRuntimeHooks {
    // Runs the object's "destructor" method once in a process of its own, with the default
    // budget, and frees the process (the interpreter). Empty: destructors do not run.
    std::function<void(TfObject&)> runDestructor;

    // Compiles a class that an initialization pass found uncompiled (after Reset): tries
    // the compiled-class cache, else reads and compiles the source, setting Compiled or
    // CompileFailed (the resource loader). Empty: the class stays pending.
    std::function<void(TRTTI&)> compileClass;

    // Makes a code block read from a class file valid in this process (re-linking). It
    // raises when a name cannot be resolved. Empty: class files are not usable.
    std::function<void(TCompiledInfo&, TRTTI&)> relink;

    // Compiles text as the source of cls (a fresh class), showing errors when report is
    // set; true when compilation failed (the compiler). Evaluation of generated source
    // uses it. Empty: nothing can be compiled.
    std::function<bool(TRTTI&, std::string_view, bool)> compileSource;

    // At the root, a one-part name that is neither a child nor an alias: "$" globals,
    // created on first use (the resource tree). Empty: none.
    std::function<TResource*(std::string_view)> rootFallback;

    // Fills a resource's script value with its wrapper object (evaluation of
    // "$_2=new BuiltInResource($_1);"). Empty: the value stays null.
    std::function<void(TResource&)> makeScriptObject;

    // Runs "$_1.onDestroy();" for a resource being destroyed whose script value holds an
    // object; must not throw. Empty: nothing runs.
    std::function<void(TResource&)> destroyScriptObject;

    // Reads a resource text back as a new node without a parent (Clone). Empty: none.
    std::function<std::unique_ptr<TResource>(const std::string&)> readResourceText;

    // The source path written for a class line, relative to the resource base directory.
    // Empty: the path as it is.
    std::function<std::string(const std::string&)> relativeSource;

    // The side duties of every log line and report: one sequencer update, pending window
    // messages during start-up, the busy mark, the loader's progress bar. Empty: none.
    std::function<void()> reportSideDuties;
};

TRuntimeHooks& RuntimeHooks();

}  // namespace varno
