// The script heap: one reserved address range whose 32-bit offsets are the references
// that values, code operands and frame records hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/Forward.h"

namespace varno {

// What a heap block holds; validity checks ask for a kind so that a reference to one
// kind of block is never taken for another.
enum class THeapKind : std::uint8_t {
    Free = 0,
    Raw = 1,     // bytes: code, process stacks, value cells
    Object = 2,  // a TfObject block of some class's pool
    Host = 3,    // a THostObject (string body, class, function, process ...)
};

// The region is at most 2 GiB, so every reference (and every object identity shown to
// scripts) is a positive 32-bit integer. Offset 0 is a guard page: reference 0 is null.
constexpr std::size_t kHeapMaxReserve = std::size_t{1} << 31;
constexpr TRef kNullRef = 0;

namespace detail {
// Base address of the region; set once when the heap is first used.
inline std::uint8_t* g_heapBase = nullptr;
}  // namespace detail

// Decodes a reference: one addition. The reference is not checked.
template <class T>
inline T* FromRef(TRef ref) {
    return reinterpret_cast<T*>(detail::g_heapBase + ref);
}

// Encodes an address inside the heap as its reference.
inline TRef RefOf(const void* p) {
    return static_cast<TRef>(static_cast<const std::uint8_t*>(p) - detail::g_heapBase);
}

// Allocates a zero-filled block of at least `bytes` bytes, 8-byte aligned, in the heap.
// Throws EVarno when the heap's reservation is used up.
void* HeapAlloc(std::size_t bytes, THeapKind kind = THeapKind::Raw);

// Returns a block to the heap. Null is ignored; an address that is not a live block is
// ignored too, so a double free never corrupts the allocator.
void HeapFree(void* p) noexcept;

// True when ref is the start of a live block of that kind. Never touches memory outside
// the committed part of the heap, whatever ref holds.
bool IsHeapBlock(TRef ref, THeapKind kind) noexcept;

// True when [ref, ref + bytes) lies in the committed part of the heap and ref is not in
// the guard page: the bytes can be read without a fault (they may be stale).
bool IsHeapRange(TRef ref, std::size_t bytes) noexcept;

// True when p points into the committed part of the heap.
bool HeapContains(const void* p) noexcept;

// Usable size of a live block (at least what was asked for).
std::size_t HeapBlockSize(const void* p) noexcept;

struct THeapStats {
    std::size_t reserved = 0;    // bytes of address space reserved
    std::size_t committed = 0;   // bytes made readable and writable
    std::size_t liveBlocks = 0;  // blocks allocated and not yet freed
    std::size_t liveBytes = 0;   // their total size, headers included
};
THeapStats HeapStats() noexcept;

// Makes the heap exist (reservation and first commit); HeapAlloc does it on demand.
void HeapInit();

// Creates a T in the heap. Host objects (THostObject and its kinds) come from their own
// operator new, which allocates in the heap; any other type is placed in a Raw block.
template <class T, class... Args>
T* HeapNew(Args&&... args) {
    static_assert(alignof(T) <= 8, "heap blocks are 8-byte aligned");
    if constexpr (std::is_base_of_v<THostObject, T>) {
        return new T(std::forward<Args>(args)...);
    } else {
        void* block = HeapAlloc(sizeof(T), THeapKind::Raw);
        return ::new (block) T(std::forward<Args>(args)...);
    }
}

// Destroys what HeapNew made.
template <class T>
void HeapDelete(T* p) noexcept {
    if (p == nullptr) return;
    if constexpr (std::is_base_of_v<THostObject, T>) {
        delete p;
    } else {
        p->~T();
        HeapFree(p);
    }
}

}  // namespace varno
