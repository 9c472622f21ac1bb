// TContext: what the code generators of one class compile share, from the class to the pending breaks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/ProgWriter.h"
#include "front/LexElem.h"
#include "front/Forward.h"

namespace varno {

class TResource;
class TRTTI;
class TNormalFunction;

// Where the member-chain compiler stands while a chain a.b.c(...) is compiled.
enum class TChainState : std::uint8_t {
    Global = 0,  // a global variable was found; its cell is not written yet (within one element)
    Value = 1,   // the previous element left an object on the stack: look the next name up in it
    Start = 2,   // nothing written yet
    Super = 3,   // the previous element was `super` (nothing written)
    This = 4,    // the previous element was `this`; the object is on the stack
};

// The compile context of one CompileClass call. The fields are the generators' shared
// state; every generator that changes AddrMode restores it before it returns.
class TContext {
public:
    // The block being written; none between blocks.
    std::unique_ptr<TProgWriter> Writer;
    // The root of the resource tree, for dotted names and globals; may be none.
    TResource* Root = nullptr;
    TRTTI* CurClass = nullptr;
    // The function whose body is being compiled; none for the class-level code.
    TNormalFunction* CurFunc = nullptr;
    // The member chain being compiled must leave an address (for an assignment).
    bool AddrMode = false;
    TChainState ChainState = TChainState::Start;
    // What the last resource name resolved to, or none.
    TResource* Resolved = nullptr;
    // 1 during the declaration pass, 2 during the code pass.
    std::int32_t Pass = 0;
    // The dotted text of the last resource name, for messages.
    std::string ResName;
    // The source text the tokens point into.
    std::string_view Source;
    // Byte offset of the statement being compiled; compile errors are reported there.
    std::int32_t SrcPos = 0;
    // The code offsets of the pending breaks of the innermost loop; none outside loops.
    std::vector<std::int32_t>* BreakList = nullptr;

    // The writer of the current block; raises EVarno when there is none (a generator
    // that writes outside a block is a defect).
    TProgWriter& writer() const;

    // A token's text and its position (byte offset of its start).
    std::string_view text(const TLexElem& token) const {
        return Source.substr(static_cast<std::size_t>(token.start()),
                             static_cast<std::size_t>(token.end() - token.start()));
    }
    static std::int32_t position(const TLexElem& token) { return token.start(); }
};

}  // namespace varno
