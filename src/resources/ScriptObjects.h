// The script objects of resource nodes: the BuiltInResource wrapper, onDestroy, and CMML wrappers.
#pragma once

#include "runtime/Value.h"

namespace varno {

class TResource;
class TfElement;

// Fills node's script value with "new BuiltInResource(ref)" (evaluated with the node in $_1).
void MakeResourceScriptObject(TResource& node);

// Runs "$_1.onDestroy();" with the node's object in $_1. Never throws.
void DestroyResourceScriptObject(TResource& node);

// A new CMML object wrapping element ("$_tmp_cmml=new CMML($_tmp_cmml2);"); the value of
// $_tmp_cmml afterwards (null when the evaluation failed).
TValue MakeCMMLObject(TfElement& element);

// Installs the two resource hooks above into the runtime.
void InstallScriptObjectHooks();

}  // namespace varno
