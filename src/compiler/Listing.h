// The code listing and the symbol dump: a code block as text lines for the debugger and --list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno {

class TCompiledInfo;
class TRTTI;

using TLines = std::vector<std::string>;

// One line per symbol record offset: "op=" + OpName(kind) + " ,addr=" + offset +
// " ,info=" + text. Source points are not dumped.
void Dump(const TCompiledInfo& info, TLines& lines);

// One line per instruction from the instruction at byte offset `from` up to the first
// Halt (which gets no line): the instruction's address (its script-heap reference) as
// eight upper-case hexadecimal digits, a colon and the instruction's text ("Push 10",
// "DCall 2,move", "Jump-64"). An opcode without a listing text, or a walk that leaves the
// block, raises EVarno "異常な命令が入っています" (an abnormal instruction is present);
// the lines appended before it stay.
void Listing(const TCompiledInfo& info, TLines& lines, std::uint32_t from = 0);

// Every code block of a class, each listing under a heading line: "class " + the class's
// full name for its own code, then "function " / "constructor " / "destructor " + name +
// "(" + arguments + ")" for each byte-code method the class declares, in table order.
void ListClass(const TRTTI& cls, TLines& lines);

}  // namespace varno
