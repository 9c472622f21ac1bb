// TAbstractHashtable and its two kinds: the host storage behind the script classes HashTable and LightHashTable.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "runtime/HostObject.h"
#include "runtime/Value.h"

namespace varno {

// 32 buckets of entries, each bucket in insertion order, and one iterator. The bucket of a
// key is its 30-bit hash divided by 2^25. The table holds one count on every object it
// stores as a key or a value; what it holds is invisible to the garbage collector unless
// the owning script object's gc_mark method marks it.
class TAbstractHashtable : public THostObject {
public:
    static constexpr int kBuckets = 32;

    struct TEntry {
        TValue key;
        TValue value;
    };

    // Releases every key and value.
    ~TAbstractHashtable() override;

    // The virtual operations, in this order: a key's 30-bit hash, and whether an entry's
    // key (left) is the key being looked for.
    virtual std::uint32_t Hash(const TValue& key) const = 0;
    virtual bool Equal(const TValue& entryKey, const TValue& key) const = 0;

    // The value stored under key, or null when there is none.
    const TValue* get(const TValue& key);
    // Stores a counted copy of key and of value; an existing entry keeps its place and
    // takes the new key and value.
    void put(const TValue& key, const TValue& value);
    // Takes key's entry out: true with its value (the table's count on it handed to the
    // caller, who releases it) when there was one. The key is released.
    bool remove(const TValue& key, TValue& value);
    std::int32_t size() const;

    // The iterator: start designates the first entry (bucket by bucket, each in insertion
    // order); next gives the designated entry's key (null when none) and moves on.
    void startFind();
    bool hasNext() const;
    const TEntry* designated() const;
    void advance();

    // The bucket a key hashes to (0 .. 31).
    std::int32_t bucketOf(const TValue& key) const;

    // Rounds a 32-bit sum to the 30-bit hash of a tag and a payload.
    static std::uint32_t MixHash(const TValue& key);

private:
    // Lookup: LastBucket := the key's bucket; the first equal entry's position, or -1.
    std::int32_t lookup(const TValue& key);

    std::array<std::vector<TEntry>, kBuckets> m_buckets;
    std::int32_t m_lastBucket = 0;
    std::int32_t m_lastPosition = -1;
    std::int32_t m_iterBucket = kBuckets;
    std::int32_t m_iterPosition = -1;
};

// Keys by value: numbers by tag and payload (1 and 1.0 differ), strings by their text.
class THashtable final : public TAbstractHashtable {
public:
    const char* hostClassName() const override { return "THashtable"; }
    std::uint32_t Hash(const TValue& key) const override;
    bool Equal(const TValue& entryKey, const TValue& key) const override;
};

// Keys by identity: the same tag and the same payload.
class TLightHashtable final : public TAbstractHashtable {
public:
    const char* hostClassName() const override { return "TLightHashtable"; }
    std::uint32_t Hash(const TValue& key) const override { return MixHash(key); }
    bool Equal(const TValue& entryKey, const TValue& key) const override {
        return entryKey.tag == key.tag && entryKey.payload == key.payload;
    }
};

}  // namespace varno
