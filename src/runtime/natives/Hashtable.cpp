// Script hash tables: buckets, lookup, the iterator, and the two hash functions.
#include "runtime/natives/Hashtable.h"

#include "base/Error.h"
#include "runtime/Log.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"
#include "runtime/natives/NativeSupport.h"

namespace varno {
namespace {

constexpr std::uint32_t kHashMask = 0x3FFFFFFF;
constexpr std::uint32_t kBucketSpan = (kHashMask + 1) / TAbstractHashtable::kBuckets;  // 2^25

// Gives up a count the table held while the table is torn down: a count gone wrong
// elsewhere is logged so that the rest is still released.
void ReleaseQuietly(const TValue& v) {
    try {
        Release(v);
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

}  // namespace

TAbstractHashtable::~TAbstractHashtable() {
    for (auto& bucket : m_buckets) {
        for (const TEntry& entry : bucket) {
            ReleaseQuietly(entry.key);
            ReleaseQuietly(entry.value);
        }
    }
}

std::uint32_t TAbstractHashtable::MixHash(const TValue& key) {
    const std::uint32_t tag = static_cast<std::uint8_t>(key.tag);
    return ((tag * 70009u + key.payload * 7000009u) * 48828125u) & kHashMask;
}

std::int32_t TAbstractHashtable::bucketOf(const TValue& key) const {
    const std::uint32_t b = Hash(key) / kBucketSpan;
    return b < kBuckets ? static_cast<std::int32_t>(b) : 0;
}

std::int32_t TAbstractHashtable::lookup(const TValue& key) {
    m_lastBucket = bucketOf(key);
    const auto& bucket = m_buckets[static_cast<std::size_t>(m_lastBucket)];
    for (std::size_t i = 0; i < bucket.size(); ++i) {
        if (Equal(bucket[i].key, key)) {
            m_lastPosition = static_cast<std::int32_t>(i);
            return m_lastPosition;
        }
    }
    return -1;
}

const TValue* TAbstractHashtable::get(const TValue& key) {
    const std::int32_t at = lookup(key);
    if (at < 0) return nullptr;
    return &m_buckets[static_cast<std::size_t>(m_lastBucket)][static_cast<std::size_t>(at)].value;
}

void TAbstractHashtable::put(const TValue& key, const TValue& value) {
    std::int32_t at = lookup(key);
    auto& bucket = m_buckets[static_cast<std::size_t>(m_lastBucket)];
    if (at < 0) {
        bucket.push_back(TEntry{});
        at = static_cast<std::int32_t>(bucket.size()) - 1;
    }
    TEntry& entry = bucket[static_cast<std::size_t>(at)];
    Assign(entry.key, key);
    Assign(entry.value, value);
}

bool TAbstractHashtable::remove(const TValue& key, TValue& value) {
    const std::int32_t at = lookup(key);
    if (at < 0) return false;
    auto& bucket = m_buckets[static_cast<std::size_t>(m_lastBucket)];
    const TEntry entry = bucket[static_cast<std::size_t>(at)];
    bucket.erase(bucket.begin() + at);
    value = entry.value;
    Release(entry.key);
    return true;
}

std::int32_t TAbstractHashtable::size() const {
    std::size_t n = 0;
    for (const auto& bucket : m_buckets) n += bucket.size();
    return static_cast<std::int32_t>(n);
}

void TAbstractHashtable::startFind() {
    m_iterBucket = 0;
    m_iterPosition = -1;
    advance();
}

bool TAbstractHashtable::hasNext() const { return designated() != nullptr; }

const TAbstractHashtable::TEntry* TAbstractHashtable::designated() const {
    if (m_iterBucket < 0 || m_iterBucket >= kBuckets || m_iterPosition < 0) return nullptr;
    const auto& bucket = m_buckets[static_cast<std::size_t>(m_iterBucket)];
    if (static_cast<std::size_t>(m_iterPosition) >= bucket.size()) return nullptr;
    return &bucket[static_cast<std::size_t>(m_iterPosition)];
}

void TAbstractHashtable::advance() {
    while (m_iterBucket >= 0 && m_iterBucket < kBuckets) {
        ++m_iterPosition;
        if (static_cast<std::size_t>(m_iterPosition) < m_buckets[static_cast<std::size_t>(m_iterBucket)].size()) return;
        m_iterPosition = -1;
        ++m_iterBucket;
    }
}

std::uint32_t THashtable::Hash(const TValue& key) const {
    if (!IsStringValue(key)) return MixHash(key);
    std::uint32_t h = 0;
    for (const char c : StringText(AsObject(key))) {
        h = (h + static_cast<std::uint8_t>(c) * 70009u * 48828125u) & kHashMask;
    }
    return h;
}

bool THashtable::Equal(const TValue& entryKey, const TValue& key) const { return CompareEqual(entryKey, key); }

}  // namespace varno
