// The resource tree's well-known folders, "$" globals, unique names, and the evaluator the nodes run scripts with.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/NativeContract.h"  // GlobalCell and SetGlobal, through the root's "$" fallback
#include "runtime/Resource.h"

namespace varno {

class TResourceList;

// The node if it is a folder, else none.
TResourceList* FindFolder(std::string_view dottedName);

// The folder of global variables made on first use (usrglobal), found once at boot.
void SetGlobalFolder(TResourceList* folder);
TResourceList* GlobalFolder();

// The "$" fallback of a one-part name at the root: the variable of that name in the
// global folder, made by reading <globalvalue name="NAME"> when missing. None without a
// global folder.
TResource* FindOrMakeGlobal(std::string_view name);

// A name no child of folder uses: name itself when free, else its stem (a trailing "_"
// and digits removed) + "_" + one more than the highest such number among the children
// whose names contain the stem.
std::string UniqueName(TResource& folder, std::string_view name);

// Runs generated script text (evaluation): 0 ran, 1 did not compile, 2 ended with a
// run-time error. Start-up installs the interpreter's evaluator; without one nothing
// runs and the result is 1.
using TScriptEvaluator = std::function<int(std::string_view)>;
void SetScriptEvaluator(TScriptEvaluator evaluator);
const TScriptEvaluator& ScriptEvaluator();
int EvaluateScript(std::string_view text);

}  // namespace varno
