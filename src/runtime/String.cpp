// String objects and their bodies.
#include "runtime/String.h"

#include "base/Error.h"
#include "runtime/Object.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

TRTTI* g_stringClass = nullptr;
std::int32_t g_bodyCache = 0;  // the process-wide cache of the "_body" lookup

}  // namespace

TfString::TfString(std::string t) : text(std::move(t)) { ++RuntimeCounters().liveStrings; }

TfString::~TfString() { --RuntimeCounters().liveStrings; }

void SetStringClass(TRTTI* cls) { g_stringClass = cls; }

TRTTI* StringClass() { return g_stringClass; }

bool IsStringObject(const TfObject* o) { return g_stringClass != nullptr && o->cls == g_stringClass->ref(); }

bool IsStringValue(const TValue& v) { return v.tag == tvObject && IsStringObject(AsObject(v)); }

TfObject* NewString(std::string_view text) {
    if (g_stringClass == nullptr) throw EVarno("classes.lang.String is not loaded");
    TfObject* o = NewInstance(*g_stringClass);
    const int body = g_stringClass->FindMember(kSymBody, g_bodyCache);
    if (body < 0) throw EVarno("classes.lang.String has no member _body");
    SetNative(o->member(body), (new TfString(std::string(text)))->ref());
    return o;
}

void MakeStringValue(std::string_view text, TValue& out) { out = TValue::Object(NewString(text)->id()); }

TfString* StringBody(const TfObject* o) {
    TRTTI* cls = o->rtti();
    const int body = cls->FindMember(kSymBody, g_bodyCache);
    if (body < 0) return nullptr;
    const TValue& v = o->members()[body];
    if (v.tag != tvNative) return nullptr;
    return HostFromRef<TfString>(v.payload);
}

const std::string& StringText(const TfObject* o) {
    static const std::string empty;
    const TfString* body = StringBody(o);
    return body != nullptr ? body->text : empty;
}

void FreeStringBody(TfString* body) { delete body; }

}  // namespace varno
