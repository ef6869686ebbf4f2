#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>
#include <optional>

// A little-endian value at an offset of bytes, or nothing when they do not hold it all; the binary formats'
// readers say in their own words what is missing.
template <typename T> std::optional<T> littleEndianAt(const QByteArray &bytes, qsizetype at)
{
    if (at < 0 || at + qsizetype(sizeof(T)) > bytes.size())
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes.constData() + at, sizeof value);
    return qFromLittleEndian(value);
}
