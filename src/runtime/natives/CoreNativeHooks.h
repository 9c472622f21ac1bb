// What the core natives need from higher layers, installed by those layers (empty: not there).
#pragma once

#include <functional>
#include <string_view>

namespace varno {

class ICollector;
class IClock;
class THostObject;

struct TCoreNativeHooks {
    // Receives every text print writes (the debugger window's console view), besides
    // standard output and the log. Empty: nobody else.
    std::function<void(std::string_view text)> printed;

    // Sets the instance attribute name of the generator host to text (the page layer);
    // false when host is not a generator. Empty: nothing is a generator, so _changeAttr
    // raises "invalid generator at chattr".
    std::function<bool(THostObject& host, std::string_view name, std::string_view text)> setGeneratorAttribute;

    // The clock of getTime. Null: the process's steady clock.
    IClock* clock = nullptr;

    // The collection in progress (the collector sets it while it marks); native_gc_mark
    // and native_proc_mark hand their values to it. Null: no collection, they do nothing.
    ICollector* collector = nullptr;
};

TCoreNativeHooks& CoreNativeHooks();

}  // namespace varno
