// Script strings: objects of classes.lang.String whose "_body" member holds a TfString.
#pragma once

#include <string>
#include <string_view>

#include "runtime/HostObject.h"
#include "runtime/Value.h"

namespace varno {

// The body of a string object: the text, bytes in the system's code page. Bodies are
// owned by their string objects' native "_free_body", not by the object's count.
class TfString final : public THostObject {
public:
    explicit TfString(std::string text);
    ~TfString() override;
    const char* hostClassName() const override { return "TfString"; }

    std::string text;
};

// The class classes.lang.String, found at start-up; a value is a string exactly when its
// object's class is this one (not a subclass).
void SetStringClass(TRTTI* cls);
TRTTI* StringClass();

bool IsStringObject(const TfObject* o);
bool IsStringValue(const TValue& v);

// A new string object (count 0) whose body holds text. Raises when there is no string
// class. Creating it may destroy a pooled unreferenced string and run its destructor.
TfObject* NewString(std::string_view text);

// NewString, written into out as tvObject without touching counts (the caller Assigns it).
void MakeStringValue(std::string_view text, TValue& out);

// The body of a string object, or null when its "_body" holds no live TfString.
TfString* StringBody(const TfObject* o);

// The text of a string object; the empty text when it has no body.
const std::string& StringText(const TfObject* o);

// Frees a body (the "_free_body" native); null is ignored.
void FreeStringBody(TfString* body);

}  // namespace varno
