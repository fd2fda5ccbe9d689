#pragma once
// A fast hash of bytes for the tables that hold a whole history's keys
// (file.idx keys, stored paths). QHash's seeded SipHash measured three times
// slower here on eleven-byte keys; the standard library's hash is fast but
// unseeded, and file.idx comes from other people. This one mixes 64-bit
// words with a 128-bit multiply and starts from the process's random QHash
// seed, so keys crafted to collide on one run do not collide on the next.
#include <QByteArray>
#include <QHashFunctions>
#include <cstdint>
#include <cstring>

namespace vorq {

inline uint64_t mixBytes(uint64_t a, uint64_t b) {
    const unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(r) ^ static_cast<uint64_t>(r >> 64);
}

inline size_t bytesHash(const char *p, size_t n) {
    static const uint64_t seed = static_cast<uint64_t>(qGlobalQHashSeed()) ^ 0xa0761d6478bd642fULL;
    constexpr uint64_t k1 = 0xe7037ed1a0b428dbULL, k2 = 0x8ebc6af09c88c6e3ULL;
    uint64_t h = seed ^ (n * k2);
    while (n >= 16) {
        uint64_t a, b;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        h = mixBytes(a ^ k1 ^ h, b ^ k2);
        p += 16;
        n -= 16;
    }
    uint64_t a = 0, b = 0;
    if (n > 8) {
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, n - 8);
    } else {
        std::memcpy(&a, p, n);
    }
    return static_cast<size_t>(mixBytes(mixBytes(a ^ k1 ^ h, b ^ k2 ^ h), k1 ^ n));
}

struct BytesHash {
    size_t operator()(const QByteArray &b) const { return bytesHash(b.constData(), size_t(b.size())); }
};

}  // namespace vorq
