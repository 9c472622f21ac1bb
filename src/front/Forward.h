// Forward declarations of the front end's types: grammar, tokens, parse results.
#pragma once

namespace varno {

class TFirst;
struct TGrammarNode;
class TLexElem;
class TLexList;
class TResultList;
class TResList;
class TYup;
class TContext;  // the compile context; defined by the compiler

}  // namespace varno
