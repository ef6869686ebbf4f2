#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <string_view>

// What the reading and the record access of TextTable share; not for use outside the engine.
namespace TextTableDetail {

inline bool isValidUtf8(std::string_view bytes)
{
    return QByteArrayView(bytes.data(), qsizetype(bytes.size())).isValidUtf8();
}

// The finaliser of MurmurHash3: every bit of the input moves every bit of the output.
inline uint64_t mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ULL;
    x ^= x >> 33;
    return x;
}

// A key read into a small buffer, for the keys of a million records hashed without an allocation.
struct KeyBuffer
{
    char bytes[64];
    size_t size = 0;
    bool overflow = false;
    void operator()(char c)
    {
        if (size < sizeof bytes)
            bytes[size++] = c;
        else
            overflow = true;
    }
};

} // namespace TextTableDetail
