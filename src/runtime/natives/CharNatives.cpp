// Natives of classes.game.Char: changing an attribute of the generator that placed the character.
#include <cstdint>

#include "runtime/Messages.h"
#include "runtime/RuntimeError.h"
#include "runtime/natives/CoreNativeHooks.h"
#include "runtime/natives/CoreNatives.h"
#include "runtime/natives/NativeSupport.h"

namespace varno {
namespace {

// _changeAttr(generator, name, value): the generator's instance attribute name becomes the
// display text of value (an empty text removes it).
void NativeChangeAttr(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(3)) return;
    THostObject* host = NativeOf(call.arg(1));
    const auto& set = CoreNativeHooks().setGeneratorAttribute;
    if (host == nullptr || !set || !set(*host, ToText(call.arg(2)), ToText(call.arg(3)))) {
        throw ERuntimeError(GetMsg("invalid generator at chattr"));
    }
}

}  // namespace

TNativeList CharNatives() { return {{"_changeAttr", NativeChangeAttr}}; }

}  // namespace varno
