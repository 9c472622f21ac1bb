// The parts of classes.lang.Object's natives, each made in its own file; ObjectNatives orders them.
#pragma once

#include "runtime/natives/CoreNatives.h"

namespace varno {

// print, getkey, suspend, currentProcess, getGlobal, setGlobal, breakExec, currentFunc,
// _n_errorValue, getTime.
TNativeList ObjectHostNatives();

// _getClassName, _getParentClassName, _newInstance, _n_clearAllValues, TObject, native_is,
// native_gc_mark, _n_refcount, _n_objhandle, the value-by-index family, isInt, isFloat.
TNativeList ReflectionNatives();

// _n_randomize, rnd, sin, cos, angle, dist, trunc, floor, sqrt, valueOf.
TNativeList MathNatives();

}  // namespace varno
