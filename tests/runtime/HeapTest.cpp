// The script heap: references, zero-filled blocks, reuse and validation of arbitrary numbers.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "runtime/HostObject.h"
#include "runtime/ScriptHeap.h"

namespace varno {
namespace {

TEST(ScriptHeap, BlocksAreZeroFilledAndReferencesRoundTrip) {
    for (std::size_t size : {1u, 8u, 24u, 1000u, 5000u, 70000u, 300000u}) {
        auto* p = static_cast<std::uint8_t*>(HeapAlloc(size));
        const TRef ref = RefOf(p);
        EXPECT_EQ(FromRef<std::uint8_t>(ref), p);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
        EXPECT_GT(ref, 0u);
        EXPECT_LT(ref, 0x80000000u) << "identities are positive 32-bit numbers";
        EXPECT_GE(HeapBlockSize(p), size);
        for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(p[i], 0) << size;
        std::fill(p, p + size, 0xAB);
        HeapFree(p);
        // The block comes back zeroed when it is handed out again.
        auto* again = static_cast<std::uint8_t*>(HeapAlloc(size));
        for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(again[i], 0) << size;
        HeapFree(again);
    }
}

TEST(ScriptHeap, ValidationAcceptsOnlyLiveBlockStartsOfTheKind) {
    void* raw = HeapAlloc(64, THeapKind::Raw);
    void* object = HeapAlloc(64, THeapKind::Object);
    const TRef r = RefOf(raw);
    const TRef o = RefOf(object);
    EXPECT_TRUE(IsHeapBlock(r, THeapKind::Raw));
    EXPECT_FALSE(IsHeapBlock(r, THeapKind::Object));
    EXPECT_TRUE(IsHeapBlock(o, THeapKind::Object));
    for (TRef inside : {o + 4, o + 8, o + 16, o - 8}) EXPECT_FALSE(IsHeapBlock(inside, THeapKind::Object)) << inside;
    HeapFree(object);
    EXPECT_FALSE(IsHeapBlock(o, THeapKind::Object)) << "freed";
    HeapFree(object);  // a double free is ignored, not a corruption
    void* next = HeapAlloc(64, THeapKind::Object);
    void* other = HeapAlloc(64, THeapKind::Object);
    EXPECT_NE(next, other);
    HeapFree(next);
    HeapFree(other);
    HeapFree(raw);
}

TEST(ScriptHeap, ArbitraryNumbersAreRejectedWithoutFaults) {
    std::mt19937 random(7);
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        const TRef ref = random();
        if (IsHeapBlock(ref, THeapKind::Host) || IsHeapBlock(ref, THeapKind::Object)) ++accepted;
        (void)IsHeapRange(ref, 8);
    }
    for (TRef ref : {0u, 1u, 8u, 4096u, 4104u, 0x7FFFFFF8u, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(IsHeapBlock(ref, THeapKind::Host)) << ref;
        EXPECT_FALSE(IsHeapBlock(ref, THeapKind::Raw)) << ref;
    }
    EXPECT_FALSE(IsHeapRange(0, 8)) << "reference 0 is the guard page";
    EXPECT_LT(accepted, 50);
}

class TProbe : public THostObject {
public:
    explicit TProbe(int* destroyed) : m_destroyed(destroyed) {}
    ~TProbe() override { ++*m_destroyed; }
    const char* hostClassName() const override { return "TProbe"; }

private:
    int* m_destroyed;
};

struct TPlain {
    std::int32_t a = 5;
    double b = 2.5;
};

TEST(ScriptHeap, HostObjectsLiveInTheHeapAndAreFoundByReference) {
    int destroyed = 0;
    auto* probe = HeapNew<TProbe>(&destroyed);
    EXPECT_TRUE(HeapContains(probe));
    EXPECT_EQ(HostFromRef<TProbe>(probe->ref()), probe);
    EXPECT_EQ(HostFromRef<THostObject>(probe->ref()), probe);
    EXPECT_EQ(HostFromRef<TProbe>(probe->ref() + 8), nullptr);
    const TRef ref = probe->ref();
    HeapDelete(probe);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(HostFromRef<TProbe>(ref), nullptr);

    auto owned = std::make_unique<TProbe>(&destroyed);  // operator new allocates in the heap too
    EXPECT_TRUE(HeapContains(owned.get()));
    owned.reset();
    EXPECT_EQ(destroyed, 2);

    TPlain* plain = HeapNew<TPlain>();
    EXPECT_TRUE(HeapContains(plain));
    EXPECT_EQ(plain->a, 5);
    EXPECT_EQ(HostFromRef(RefOf(plain)), nullptr) << "a raw block is no host object";
    HeapDelete(plain);

    int local = 0;
    EXPECT_FALSE(HeapContains(&local));
}

TEST(ScriptHeap, StatsCountLiveBlocks) {
    const THeapStats before = HeapStats();
    std::vector<void*> blocks;
    for (int i = 0; i < 10; ++i) blocks.push_back(HeapAlloc(100));
    EXPECT_EQ(HeapStats().liveBlocks, before.liveBlocks + 10);
    for (void* p : blocks) HeapFree(p);
    EXPECT_EQ(HeapStats().liveBlocks, before.liveBlocks);
    EXPECT_GE(HeapStats().reserved, std::size_t{64} << 20);
}

}  // namespace
}  // namespace varno
