// TAlias: the process-wide table of short class names ("Object" for classes.lang.Object).
#pragma once

#include <string_view>

namespace varno {

class TRTTI;

// Names compare without regard to case. A class registers its name when it is created,
// if registration is on and the name is free; it removes its entry when destroyed.
class TAlias {
public:
    static TRTTI* Find(std::string_view name);
    // Adds the entry unless the name is taken; true when it was added.
    static bool Register(std::string_view name, TRTTI* cls);
    // Removes the entry of name if it belongs to cls.
    static void Unregister(std::string_view name, const TRTTI* cls);
    // On from start-up; the page loader turns it off while it reads a page's classes.
    static void SetEnabled(bool enabled);
    static bool Enabled();
};

}  // namespace varno
