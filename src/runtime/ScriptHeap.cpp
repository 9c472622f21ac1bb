// The script heap: reservation, page commits, size-class allocation and block validation.
#include "runtime/ScriptHeap.h"

#include <sys/mman.h>

#include <cstring>
#include <map>
#include <vector>

#include "base/Error.h"

// Under AddressSanitizer the leak checker must scan the script heap: host objects living
// there (classes, processes) hold the only pointers to ordinary allocations.
#if defined(__SANITIZE_ADDRESS__)
#define VARNO_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNO_LSAN 1
#endif
#endif
#ifdef VARNO_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace varno {
namespace {

// Every block starts with this header on a 16-byte boundary; the payload follows it, so
// payloads are 8-byte aligned. The free lists live outside the heap: a stale write
// through a dangling reference can spoil a freed payload but never the allocator.
struct TBlockHeader {
    std::uint32_t size;  // whole block in bytes, header included, a multiple of 16
    std::uint8_t kind;   // THeapKind
    std::uint8_t sizeClass;
    std::uint16_t magic;
};
static_assert(sizeof(TBlockHeader) == 8);

constexpr std::uint16_t kMagic = 0xB10C;
constexpr std::size_t kGranule = 16;
constexpr std::size_t kGuard = 4096;              // offsets below this are never committed
constexpr std::size_t kCommitStep = 1u << 20;     // commit in steps of 1 MiB
constexpr std::size_t kSmallLimit = 1024;         // exact 16-byte classes up to here
constexpr std::size_t kMediumLimit = 64 * 1024;   // four classes per doubling up to here
constexpr int kSmallClasses = kSmallLimit / kGranule;  // 64
constexpr int kClassCount = kSmallClasses + 6 * 4;     // 88 (1 KiB .. 64 KiB)
constexpr std::uint8_t kLargeClass = 255;
constexpr std::size_t kPage = 4096;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// Maps a block size (header included) to its class and the size the class hands out.
void Classify(std::size_t total, int& cls, std::size_t& classSize) {
    if (total <= kSmallLimit) {
        cls = static_cast<int>(total / kGranule) - 1;
        classSize = total;
        return;
    }
    if (total <= kMediumLimit) {
        int k = 10;
        while ((std::size_t{1} << (k + 1)) < total) ++k;  // total in (2^k, 2^(k+1)]
        const std::size_t low = std::size_t{1} << k;
        const std::size_t step = low / 4;
        const std::size_t sub = (total - low + step - 1) / step;  // 1..4
        cls = kSmallClasses + (k - 10) * 4 + static_cast<int>(sub) - 1;
        classSize = low + sub * step;
        return;
    }
    cls = kLargeClass;
    classSize = RoundUp(total, kPage);
}

class TScriptHeap {
public:
    TScriptHeap() { reserve(); }

    void* alloc(std::size_t bytes, THeapKind kind) {
        if (bytes > m_reserved) throw EVarno("Script heap exhausted");
        const std::size_t total = RoundUp(bytes + sizeof(TBlockHeader), kGranule);
        int cls = 0;
        std::size_t size = 0;
        Classify(total, cls, size);

        std::size_t h = 0;
        bool reused = false;
        if (cls != kLargeClass && !m_free[cls].empty()) {
            h = m_free[cls].back();
            m_free[cls].pop_back();
            reused = true;
        } else if (cls == kLargeClass) {
            // Best fit among freed large blocks, if it wastes at most a quarter.
            auto it = m_largeFree.lower_bound(static_cast<std::uint32_t>(size));
            if (it != m_largeFree.end() && it->first <= size + size / 4) {
                size = it->first;
                h = it->second;
                m_largeFree.erase(it);
                reused = true;
            }
        }
        if (!reused) {
            if (m_top + size > m_reserved) throw EVarno("Script heap exhausted");
            h = m_top;
            commitTo(m_top + size);
            m_top += size;
        }

        auto* header = reinterpret_cast<TBlockHeader*>(m_base + h);
        header->size = static_cast<std::uint32_t>(size);
        header->kind = static_cast<std::uint8_t>(kind);
        header->sizeClass = static_cast<std::uint8_t>(cls);
        header->magic = kMagic;
        setStart(h, true);
        std::uint8_t* payload = m_base + h + sizeof(TBlockHeader);
        if (reused) std::memset(payload, 0, size - sizeof(TBlockHeader));  // fresh pages are zero
        ++m_liveBlocks;
        m_liveBytes += size;
        return payload;
    }

    void free(void* p) noexcept {
        if (p == nullptr) return;
        const auto* bytes = static_cast<std::uint8_t*>(p);
        if (bytes < m_base || bytes >= m_base + m_top || !isLive(RefOf(p))) return;
        const std::size_t h = static_cast<std::size_t>(bytes - m_base) - sizeof(TBlockHeader);
        auto* header = reinterpret_cast<TBlockHeader*>(m_base + h);
        header->kind = static_cast<std::uint8_t>(THeapKind::Free);
        setStart(h, false);
        --m_liveBlocks;
        m_liveBytes -= header->size;
        if (header->sizeClass == kLargeClass) {
            m_largeFree.emplace(header->size, static_cast<TRef>(h));
        } else {
            m_free[header->sizeClass].push_back(static_cast<TRef>(h));
        }
    }

    bool isLive(TRef ref) const noexcept {
        if (ref < kGuard + sizeof(TBlockHeader) || ref >= m_top) return false;
        if ((ref & (kGranule - 1)) != sizeof(TBlockHeader)) return false;
        const std::size_t h = ref - sizeof(TBlockHeader);
        if (!isStart(h)) return false;
        const auto* header = reinterpret_cast<const TBlockHeader*>(m_base + h);
        return header->magic == kMagic && header->kind != static_cast<std::uint8_t>(THeapKind::Free);
    }

    bool isBlock(TRef ref, THeapKind kind) const noexcept {
        if (!isLive(ref)) return false;
        const auto* header = reinterpret_cast<const TBlockHeader*>(m_base + ref - sizeof(TBlockHeader));
        return header->kind == static_cast<std::uint8_t>(kind);
    }

    bool isRange(TRef ref, std::size_t bytes) const noexcept {
        return ref >= kGuard && std::uint64_t{ref} + bytes <= m_committed;
    }

    std::size_t blockSize(const void* p) const noexcept {
        const TRef ref = RefOf(p);
        if (!isLive(ref)) return 0;
        const auto* header = reinterpret_cast<const TBlockHeader*>(m_base + ref - sizeof(TBlockHeader));
        return header->size - sizeof(TBlockHeader);
    }

    THeapStats stats() const noexcept { return {m_reserved, m_committed - kGuard, m_liveBlocks, m_liveBytes}; }

private:
    void reserve() {
        // Take the largest reservation the system grants, from 2 GiB down to 64 MiB.
        for (std::size_t size = kHeapMaxReserve; size >= (std::size_t{64} << 20); size /= 2) {
            void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (p != MAP_FAILED) {
                m_base = static_cast<std::uint8_t*>(p);
                m_reserved = size;
                break;
            }
        }
        if (m_base == nullptr) throw EVarno("Cannot reserve the script heap");
        m_top = kGuard;
        m_committed = kGuard;
        detail::g_heapBase = m_base;
#ifdef VARNO_LSAN
        // Only the readable (committed) parts of a root region are scanned.
        __lsan_register_root_region(m_base, m_reserved);
#endif
        commitTo(kGuard + kCommitStep);
    }

    void commitTo(std::size_t end) {
        if (end <= m_committed) return;
        std::size_t target = RoundUp(end, kCommitStep);
        if (target > m_reserved) target = m_reserved;
        if (mprotect(m_base + m_committed, target - m_committed, PROT_READ | PROT_WRITE) != 0) {
            throw EVarno("Script heap exhausted");
        }
        m_committed = target;
        m_starts.resize((m_committed / kGranule + 63) / 64, 0);
    }

    void setStart(std::size_t h, bool on) noexcept {
        const std::size_t bit = h / kGranule;
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        if (on) m_starts[bit / 64] |= mask;
        else m_starts[bit / 64] &= ~mask;
    }

    bool isStart(std::size_t h) const noexcept {
        const std::size_t bit = h / kGranule;
        return (m_starts[bit / 64] >> (bit % 64)) & 1u;
    }

    std::uint8_t* m_base = nullptr;
    std::size_t m_reserved = 0;
    std::size_t m_committed = 0;  // offsets below this are readable and writable (above the guard)
    std::size_t m_top = 0;        // bump pointer
    std::vector<std::uint64_t> m_starts;  // one bit per granule: a block header starts here
    std::vector<TRef> m_free[kClassCount];
    std::multimap<std::uint32_t, TRef> m_largeFree;  // freed large blocks by size
    std::size_t m_liveBlocks = 0;
    std::size_t m_liveBytes = 0;
};

TScriptHeap& Heap() {
    static TScriptHeap heap;
    return heap;
}

}  // namespace

void HeapInit() { (void)Heap(); }

void* HeapAlloc(std::size_t bytes, THeapKind kind) { return Heap().alloc(bytes, kind); }

void HeapFree(void* p) noexcept {
    if (p != nullptr) Heap().free(p);
}

bool IsHeapBlock(TRef ref, THeapKind kind) noexcept { return Heap().isBlock(ref, kind); }

bool IsHeapRange(TRef ref, std::size_t bytes) noexcept { return Heap().isRange(ref, bytes); }

bool HeapContains(const void* p) noexcept {
    const TScriptHeap& heap = Heap();
    const auto* bytes = static_cast<const std::uint8_t*>(p);
    if (bytes < detail::g_heapBase) return false;
    const auto offset = static_cast<std::size_t>(bytes - detail::g_heapBase);
    return offset < kHeapMaxReserve && heap.isRange(static_cast<TRef>(offset), 1);
}

std::size_t HeapBlockSize(const void* p) noexcept { return Heap().blockSize(p); }

THeapStats HeapStats() noexcept { return Heap().stats(); }

}  // namespace varno
