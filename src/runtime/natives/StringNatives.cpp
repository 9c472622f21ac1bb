// Natives of classes.lang.String: byte and character operations on Shift-JIS text, and split.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "runtime/ElementList.h"
#include "runtime/Object.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/natives/CoreNatives.h"
#include "runtime/natives/NativeSupport.h"
#include "runtime/natives/SplitText.h"
#include "services/regex/BRegExp.h"

namespace varno {
namespace {

// The receiver's text: a string's own text without a copy, any other value's ToText in
// scratch. The view stays valid while the native runs (the receiver is held by the stack).
std::string_view ReceiverText(const TValue& receiver, std::string& scratch) {
    if (IsStringValue(receiver)) return StringText(AsObject(receiver));
    scratch = ToText(receiver);
    return scratch;
}

// The copy rule of the substring natives: start clamped into 0 .. length, count (taken from
// the unclamped values) clamped into 0 .. length - start.
std::string_view CopyRule(std::string_view text, std::int64_t start, std::int64_t count) {
    const auto length = static_cast<std::int64_t>(text.size());
    if (length == 0) return {};
    const std::int64_t s = std::clamp<std::int64_t>(start, 0, length);
    const std::int64_t c = std::clamp<std::int64_t>(count, 0, length - s);
    return text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(c));
}

// Character position k as a byte offset: whole characters are stepped over from the
// start, two bytes for a lead byte (0x80 .. 0x9F, 0xE0 .. 0xFF), until k characters are
// passed or the text ends. A lead byte at the very end steps one past it.
std::int64_t CharacterOffset(std::string_view text, std::int64_t k) {
    std::int64_t offset = 0;
    const auto length = static_cast<std::int64_t>(text.size());
    for (std::int64_t passed = 0; passed < k && offset < length; ++passed) {
        offset += IsLeadByte(static_cast<unsigned char>(text[static_cast<std::size_t>(offset)])) ? 2 : 1;
    }
    return offset;
}

// Stores a new String holding text as the result. Making it may destroy a pooled string
// and run its destructor, which must not eat the debugger's budget.
void SetStringResult(TNativeCall& call, std::string_view text) {
    TKeepStepBudget keep;
    call.setString(text);
}

void NativeFreeBody(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) FreeStringBody(NativeOf<TfString>(call.arg(1)));
}

// native_init(code): the receiver's body becomes the one byte code (low 8 bits).
void NativeInit(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TfObject* self = call.receiverObject();
    if (!call.has(1) || self == nullptr) return;
    static std::int32_t cache = 0;
    const int body = self->rtti()->FindMember(kSymBody, cache);
    if (body < 0) return;
    const char byte = static_cast<char>(ToInt(call.arg(1)) & 0xFF);
    SetNative(self->member(body), (new TfString(std::string(1, byte)))->ref());
}

void NativeStrcat(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    std::string scratch;
    const std::string_view text = ReceiverText(call.receiver(), scratch);
    const std::string tail = ToText(call.arg(1));
    std::string joined;
    joined.reserve(text.size() + tail.size());
    joined.append(text).append(tail);
    SetStringResult(call, joined);
}

// native_substring(start [, end]): bytes start .. end - 1 by the copy rule.
void NativeSubstring(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    std::string scratch;
    const std::string_view text = ReceiverText(call.receiver(), scratch);
    const std::int64_t start = ToInt(call.arg(1));
    const std::int64_t end = call.has(2) ? ToInt(call.arg(2)) : static_cast<std::int64_t>(text.size());
    const std::string piece(CopyRule(text, start, end - start));
    SetStringResult(call, piece);
}

// _n_wsubstring(start [, end]): as substring, in characters; end defaults to the byte length.
void NativeWSubstring(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    std::string scratch;
    const std::string_view text = ReceiverText(call.receiver(), scratch);
    const std::int64_t end = call.has(2) ? ToInt(call.arg(2)) : static_cast<std::int64_t>(text.size());
    const std::int64_t to = CharacterOffset(text, end);
    const std::int64_t from = CharacterOffset(text, ToInt(call.arg(1)));
    const std::string piece(CopyRule(text, from, to - from));
    SetStringResult(call, piece);
}

void NativeLength(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    std::string scratch;
    call.setInt(static_cast<std::int32_t>(ReceiverText(call.receiver(), scratch).size()));
}

// _n_wlength(): characters, counting every byte from 0x80 up (half-width katakana too) as
// the lead of a two-byte character.
void NativeWLength(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    std::string scratch;
    const std::string_view text = ReceiverText(call.receiver(), scratch);
    std::int32_t count = 0;
    for (std::size_t offset = 0; offset < text.size(); ++count) {
        offset += static_cast<unsigned char>(text[offset]) >= 0x80 ? 2 : 1;
    }
    call.setInt(count);
}

// native_charAt(i): the byte at i (0 .. 255); outside the text nothing is stored, so the
// receiver is the result.
void NativeCharAt(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    std::string scratch;
    const std::string_view text = ReceiverText(call.receiver(), scratch);
    const std::int32_t i = ToInt(call.arg(1));
    if (i >= 0 && static_cast<std::size_t>(i) < text.size()) {
        call.setInt(static_cast<unsigned char>(text[static_cast<std::size_t>(i)]));
    }
}

// Bytes as pattern escapes "\xHH".
std::string HexEscapes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += "\\x";
        out += kDigits[u >> 4];
        out += kDigits[u & 15];
    }
    return out;
}

// _n_split([separator [, limit]]): a new Array of the pieces, built by the script code
// "$_2=new Array();$_2._setBody($_1);" around a host list handed over in "$_1".
void NativeSplit(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    std::string separator = ",";
    if (call.has(1) && call.arg(1).tag != tvNull) separator = ToText(call.arg(1));
    const std::int32_t limit = call.has(2) ? ToInt(call.arg(2)) : 0;
    std::string scratch;
    // The pieces are made before any string is: a destructor run by making one could use
    // the shared regular-expression instance.
    const std::vector<std::string> pieces = SplitText(ReceiverText(call.receiver(), scratch), separator, limit);

    auto* list = new TElementList();
    {
        TKeepStepBudget keep;
        for (const std::string& piece : pieces) {
            TValue s;
            MakeStringValue(piece, s);
            list->add(s);
        }
    }
    SetGlobal("$_1", TValue::Native(list->ref()));
    SetGlobal("$_2", TValue::Null());
    Eval("$_2=new Array();$_2._setBody($_1);");
    const TValue* made = GlobalCell("$_2");
    if (made == nullptr || made->tag != tvObject) {
        delete list;  // no array took it
        call.setNull();
        return;
    }
    call.assign(*made);
}

}  // namespace

std::vector<std::string> SplitText(std::string_view text, std::string separator, int limit) {
    if (separator.empty()) separator.push_back(',');
    // The first non-word character is made literal, as "s/\W/\\$&/" does with a backslash.
    // A double-byte character is taken whole and written as two \xHH escapes: a backslash
    // before its lead byte would leave its second byte (0x5C in many kanji, "[" or "|" in
    // others) to act on the pattern.
    for (std::size_t i = 0; i < separator.size(); ++i) {
        const auto c = static_cast<unsigned char>(separator[i]);
        const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (word) continue;
        if (IsLeadByte(c) && i + 1 < separator.size()) {
            separator.replace(i, 2, HexEscapes(std::string_view(separator).substr(i, 2)));
        } else {
            separator.insert(i, 1, '\\');
        }
        break;
    }
    TBRegExp& re = SharedRegExp();
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    std::string pattern;
    pattern.reserve(separator.size() + 2);
    pattern.append(1, '/').append(separator).append(1, '/');
    const int count = re.split(pattern, text, limit);
    pieces.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) pieces.push_back(re.item(i));
    return pieces;
}

TNativeList StringNatives() {
    return {{"_free_body", NativeFreeBody},      {"native_init", NativeInit},     {"native_strcat", NativeStrcat},
            {"native_substring", NativeSubstring}, {"_n_wsubstring", NativeWSubstring}, {"native_length", NativeLength},
            {"_n_wlength", NativeWLength},        {"native_charAt", NativeCharAt}, {"_n_split", NativeSplit}};
}

}  // namespace varno
