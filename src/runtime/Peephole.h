// The peephole pass: fuses the most frequent instruction sequences of a finished block in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varno {

class TCompiledInfo;

// Rewrites the first word of each fusable sequence (PushThis SMemberValPtr [Deref],
// DMemberValPtr Deref, LocalValPtr Deref, ArgValPtr Deref, Push Deref) and leaves every
// other word in place, so lengths, jump targets and symbol records stay valid. Walks from
// offset 0 to the first Halt. Raises EVarno "Invalid Instruction" + the opcode's low
// byte as a signed number for an opcode it does not expect (11, 12, 13 or above 48), and
// "Invalid Instruction" when the walk leaves the block without meeting Halt.
void Peephole(std::uint8_t* code, std::size_t size);
void Peephole(TCompiledInfo& info);

}  // namespace varno
