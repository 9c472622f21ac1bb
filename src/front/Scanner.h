// Matching lexical grammar nodes against bytes of a zero-terminated text.
#pragma once

#include <cstdint>

#include "front/GrammarNode.h"

namespace varno {

// Matches node (by its own kind) at pos of text, which ends with a zero byte that no node
// matches. On success moves pos past the match; on failure leaves pos where it was.
bool MatchLexical(const TGrammarNode& node, const uint8_t* text, int32_t& pos);

}  // namespace varno
