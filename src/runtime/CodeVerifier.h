// Checks a code block read from disk before it can run: structure, records and stack depth.
#pragma once

#include <cstdint>

namespace varno {

class TCompiledInfo;

// Raises EBrokenData unless the block is one the compiler could have written:
// - every instruction is an opcode 0 to 48 that fits in the block; fused instructions
//   still hold the codes of the instructions they replace; the last instruction is Halt;
// - a string constant's text ends with a 0 byte inside its L bytes;
// - every jump lands on the start of an instruction (the replaced instructions inside a
//   fused one count as starts);
// - every operand that only this process can supply (a global's cell, a member slot, a
//   method index, a function, a class) is named by a symbol record that re-linking will
//   patch, and every record names an instruction of its kind;
// - local indexes are below localCount;
// - along every path the stack never holds fewer values than an instruction takes (calls
//   included), and paths that meet agree on the depth.
// On success it records the deepest stack use in the block (setMaxStackDepth).
void VerifyCode(TCompiledInfo& info, std::int32_t localCount);

}  // namespace varno
