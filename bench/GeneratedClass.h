// The generated class source that the scanner, parser and compiler benchmarks measure,
// with its Lua twin of the same shape.
#pragma once

#include <string>

namespace varno::bench {

enum class TSelfCalls { Without, With };

// A class of `functions` methods, about twelve lines each, using every statement form and
// every kind of name: locals, arguments, members, globals, this, and (with self calls)
// static and native calls.
inline std::string GenerateClass(int functions, TSelfCalls calls = TSelfCalls::Without) {
    std::string s = "extends classes.game.Char;\n// generated for the benchmark\nnative _n_beep;\n\n";
    for (int i = 0; i < functions; ++i) {
        const std::string n = std::to_string(i);
        s += "function step" + n + "(list, count) {\n";
        s += "  var i, e, total;\n";
        s += "  total = 0; /* running sum */\n";
        s += "  for (i = 0; i < count; i += 1) {\n";
        s += "    if (i % 3 == 0 && !list.done) total += i * 2 + " + n + "; else total -= 1;\n";
        s += "  }\n";
        s += "  for (e in list) e.move(this.x + 1, \"step " + n + "\");\n";
        s += "  while (total > 100) total = total - 7;\n";
        s += "  if (total is classes.lang.Integer) return new classes.game.Point(total, -1);\n";
        s += "  this.pos.x = this.pos.y + $_offset.get(" + n + ", (total = 3));\n";
        if (calls == TSelfCalls::With) s += "  if (count > 1) step" + n + "(list, count - 1); else _n_beep();\n";
        s += "  return total;\n";
        s += "}\n\n";
    }
    s += "$_count = $_count + 1;\n";
    return s;
}

// The same shape in Lua.
inline std::string GenerateLuaTwin(int functions, TSelfCalls calls = TSelfCalls::Without) {
    std::string s = "-- generated for the benchmark\nlocal M = {}\n\n";
    for (int i = 0; i < functions; ++i) {
        const std::string n = std::to_string(i);
        s += "function M:step" + n + "(list, count)\n";
        s += "  local i, e, total\n";
        s += "  total = 0 --[[ running sum ]]\n";
        s += "  for i = 0, count - 1 do\n";
        s += "    if i % 3 == 0 and not list.done then total = total + i * 2 + " + n + " else total = total - 1 end\n";
        s += "  end\n";
        s += "  for _, e in ipairs(list) do e:move(self.x + 1, \"step " + n + "\") end\n";
        s += "  while total > 100 do total = total - 7 end\n";
        s += "  if type(total) == \"number\" then return Point.new(total, -1) end\n";
        s += "  self.pos.x = self.pos.y + offset:get(" + n + ", 3)\n";
        if (calls == TSelfCalls::With) s += "  if count > 1 then self:step" + n + "(list, count - 1) else beep() end\n";
        s += "  return total\n";
        s += "end\n\n";
    }
    s += "count = count + 1\nreturn M\n";
    return s;
}

}  // namespace varno::bench
