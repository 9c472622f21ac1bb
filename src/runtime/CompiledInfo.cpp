// Code blocks: symbol records, source positions, and the block's part of the class file.
#include "runtime/CompiledInfo.h"

#include <algorithm>

#include "runtime/ByteStream.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"

namespace varno {

void AddRecord(TSymInfoList& symbols, std::int32_t kind, std::uint32_t offset, std::string_view text) {
    if (kind == kSourcePointKind) {
        symbols.points.push_back({std::string(text), offset});
        return;
    }
    for (TCInfoElem& elem : symbols.elements) {
        if (elem.kind == kind && elem.text == text) {
            elem.offsets.push_back(offset);
            return;
        }
    }
    TCInfoElem elem;
    elem.offsets.push_back(offset);
    elem.kind = kind;
    elem.text = std::string(text);
    symbols.elements.push_back(std::move(elem));
}

TCompiledInfo::TCompiledInfo(TSymInfoList symbols, std::string_view code, TRTTI* cls)
    : m_symbols(std::move(symbols)), m_size(static_cast<std::uint32_t>(code.size())), m_class(cls) {
    // Never empty, so code() always names a block (a reader may meet a 0-byte block).
    m_code = static_cast<std::uint8_t*>(HeapAlloc(std::max<std::size_t>(code.size(), 4)));
    std::memcpy(m_code, code.data(), code.size());
}

TCompiledInfo::~TCompiledInfo() { HeapFree(m_code); }

std::string SourcePosition(const TCompiledInfo& info, const std::uint8_t* position) {
    if (info.cls() == nullptr) return "none";
    const auto& points = info.symbols().points;
    for (auto it = points.rbegin(); it != points.rend(); ++it) {
        if (info.code() + it->offset < position) return FullName(*info.cls()) + "," + it->text;
    }
    return "none";
}

void WriteCompiledInfo(const TCompiledInfo& info, TByteWriter& out) {
    const TSymInfoList& symbols = info.symbols();
    out.writeInt32(static_cast<std::int32_t>(symbols.elements.size()));
    for (const TCInfoElem& elem : symbols.elements) {
        out.writeInt32(elem.kind);
        out.writeText(elem.text);
        out.writeInt32(static_cast<std::int32_t>(elem.offsets.size()));
        for (std::uint32_t offset : elem.offsets) out.writeInt32(static_cast<std::int32_t>(offset));
    }
    out.writeInt32(static_cast<std::int32_t>(symbols.points.size()));
    for (const TSourcePoint& point : symbols.points) {
        out.writeText(point.text);
        out.writeInt32(static_cast<std::int32_t>(point.offset));
    }
    out.writeInt32(static_cast<std::int32_t>(info.size()));
    out.writeBytes(info.code(), info.size());
}

std::unique_ptr<TCompiledInfo> ReadCompiledInfo(TByteReader& in) {
    TSymInfoList symbols;
    // Least sizes: an element is kind, text count and offset count (12 bytes); a point
    // is a text count and an offset (8 bytes); an offset is 4 bytes.
    const std::int32_t elementCount = in.readCount(12);
    symbols.elements.reserve(static_cast<std::size_t>(elementCount));
    for (std::int32_t i = 0; i < elementCount; ++i) {
        TCInfoElem elem;
        elem.kind = in.readInt32();
        elem.text = in.readText();
        const std::int32_t offsetCount = in.readCount(4);
        elem.offsets.reserve(static_cast<std::size_t>(offsetCount));
        for (std::int32_t j = 0; j < offsetCount; ++j) elem.offsets.push_back(static_cast<std::uint32_t>(in.readInt32()));
        symbols.elements.push_back(std::move(elem));
    }
    const std::int32_t pointCount = in.readCount(8);
    symbols.points.reserve(static_cast<std::size_t>(pointCount));
    for (std::int32_t i = 0; i < pointCount; ++i) {
        TSourcePoint point;
        point.text = in.readText();
        point.offset = static_cast<std::uint32_t>(in.readInt32());
        symbols.points.push_back(std::move(point));
    }
    const std::int32_t size = in.readCount(1);
    const std::string_view code = in.readBytes(static_cast<std::size_t>(size));
    return std::make_unique<TCompiledInfo>(std::move(symbols), code);
}

}  // namespace varno
