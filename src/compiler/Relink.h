// Re-linking: making a code block read from a class file valid in this process.
#pragma once

namespace varno {

class TCompiledInfo;
class TRTTI;

// Sets the block's class and patches, at every offset its symbol records name, the
// operand only this process can supply: a global's cell (looked up from the resource
// tree's root), a member slot, a symbol number, a method index, a superclass's or the
// class's native function, a class. Raises EVarno "Value"/"Method"/"Method super."/
// "native Method"/"Class" + the name + " is not found." for a name that cannot be
// resolved (or resolves to something of the wrong kind), and "Invalid Instruction" for
// a record that points outside the block.
void Relink(TCompiledInfo& info, TRTTI& cls);

}  // namespace varno
