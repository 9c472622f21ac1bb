// The script language's grammar as two indented trees, exactly as TYup reads them, and the
// process-wide TYup built from them.
#include "front/ScriptGrammar.h"

#include "front/ScriptNodes.h"

namespace varno {
namespace {

// Token kinds first, in the order the scanner tries them; "*Stop" ends them.
constexpr std::string_view kLexicalTree = R"tree(
Lexical
 'while
 'break
 'if
 'is
 'in
 'else
 'null
 'for
 'fork
 'function
 'constructor
 'destructor
 'extends
 'native
 'new
 'return
 'var
 '++
 '--
 '+=
 '-=
 '*=
 '/=
 '%=
 '!=
 '==
 '>=
 '<=
 '||
 '&&
 '>
 '<
 ';
 '=
 '|
 '&
 '+
 '-
 '*
 '/
 '%
 '!
 '(
 ')
 '.
 ',
 '{
 '}
 COMM
  |
   com1
    '//
    {}
     -
      $20
      $ff
   com2
    '/*
    {}
     |
      -
       $01
       $29
      -
       $2b
       $ff
      nonend
       '*
       |
        -
         $01
         $2e
        -
         $30
         $ff
    '*/
 NUM
  [}
   Digit
  []
   '.
   [}
    Digit
 STRING
  '"
  {}
   |
    kanji
     -
      $80
      $ff
     -
      $01
      $ff
    -
     $20
     $21
    -
     $23
     $5b
    -
     $5d
     $ff
    esc
     $5c
     -
      $20
      $ff
  '"
 SYMBOL
  |
   Alpha
   Kanji
   '$
  {}
   |
    Digit
    Alpha
    Kanji
 *Stop
 -Digit
  '0
  '9
 |Alpha
  '_
  -
   'a
   'z
  -
   'A
   'Z
 Kanji
  |
   -
    $80
    $9f
   -
    $e0
    $ff
  -
   $01
   $ff
@
)tree";

// Program, the first top-level node, is the start node.
constexpr std::string_view kSyntaxTree = R"tree(
Grammar
 Program
  Extends
  {}
   |
    FuncDecl
    NativeDecl
    Comment
    Sentence
 |Sentence
  Block
  While
  For
  If
  Return
  ExprS
  Forin
  Comment
  Break
 Comment
  'COMM
 []Extends
  'extends
  ResourceVal
  ';
 ExprS
  Expr
  ';
 Expr
  []
   LVal
   |
    '=
    '+=
    '-=
  RVal
 RVal
  OrEx
  {}
   '||
   OrEx
 OrEx
  AndEx
  {}
   '&&
   AndEx
 AndEx
  IsEx
  {}
   |
    '!=
    '==
    '>=
    '<=
    '>
    '<
   IsEx
 IsEx
  CompEx
  []
   'is
   ResourceVal
 CompEx
  ASEx
  {}
   |
    '+
    '-
   ASEx
 ASEx
  MDEx
  {}
   |
    '*
    '/
    '%
   MDEx
 MDEx
  []
   |
    '-
    '!
  Una
 |Una
  IncEx
  Const
  Par
  NewObj
 IncEx
  LVal
  []
   |
    '++
    '--
 NewObj
  'new
  ResourceVal
  '(
  ArgList
  ')
 Par
  '(
  Expr
  ')
 Const
  |
   'null
   'NUM
   'STRING
 LVal
  LValE
  {}
   '.
   LValE
 LValE
  |
   'SYMBOL
   'constructor
  []
   '(
   ArgList
   ')
 ResourceVal
  'SYMBOL
  {}
   '.
   'SYMBOL
 []ArgList
  Expr
  {}
   ',
   Expr
 Block
  '{
  {}
   Sentence
  '}
 Forin
  'for
  '(
  LVal
  'in
  Expr
  ')
  Sentence
 While
  'while
  '(
  Expr
  ')
  Sentence
 For
  'for
  '(
  Expr
  ';
  Expr
  ';
  Expr
  ')
  Sentence
 Break
  'break
  ';
 If
  'if
  '(
  Expr
  ')
  Sentence
  []
   'else
   Sentence
 Return
  'return
  []
   Expr
  ';
 FuncDecl
  |
   'function
   'constructor
   'destructor
  'SYMBOL
  '(
  VArgList
  ')
  VarBlock
 NativeDecl
  'native
  'SYMBOL
  ';
 []VArgList
  'SYMBOL
  {}
   ',
   'SYMBOL
 VarBlock
  '{
  {}
   VarDecl
  {}
   Sentence
  '}
 VarDecl
  'var
  VArgList
  ';
@
)tree";

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string_view::npos) to = text.size();
        lines.emplace_back(text.substr(from, to - from));
        from = to + 1;
    }
    return lines;
}

const std::vector<std::string>& ScriptLexLines() {
    // The literal opens with a line feed so that its first line is the root.
    static const std::vector<std::string> lines = SplitLines(kLexicalTree.substr(1));
    return lines;
}

const std::vector<std::string>& ScriptGramLines() {
    static const std::vector<std::string> lines = SplitLines(kSyntaxTree.substr(1));
    return lines;
}

TYup& ScriptYup() {
    static TYup* yup = [] {
        auto* created = new TYup();  // never freed: tokens and trees may refer to it until exit
        created->SetLexNode(ScriptLexLines());
        created->SetGramNode(ScriptGramLines());
        created->SetOnCreateList(CreateScriptList);
        return created;
    }();
    return *yup;
}

int32_t DropComments(TLexList& tokens) { return tokens.removeKind(ScriptYup().tokenKind("COMM")); }

}  // namespace varno
