// Forward declarations of the resources subsystem's types.
#pragma once

namespace varno {

class TSGML;
class EMarkupError;
class EFileOpenError;

}  // namespace varno
