// Forward declarations of the runtime's types, for headers that only pass them around.
#pragma once

#include <cstdint>

namespace varno {

using TRef = std::uint32_t;

struct TValue;
struct TfObject;
class THostObject;
class TfString;
class TResource;
class TRTTI;
class TFunction;
class TNormalFunction;
class TConstructor;
class TDestructor;
class TNativeFunction;
class TRapidStringList;
class TCompiledInfo;
class TSymInfoList;
class TCInfoElem;
class TTraceList;
class ICollector;
struct TInitContext;

}  // namespace varno
