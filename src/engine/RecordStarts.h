#pragma once

#include "engine/LargePages.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Where each record of a file starts, in increasing order: the low 32 bits of each offset, and the rows at which
// the high part grows. A list under 4 GiB costs four bytes a record instead of eight; a larger one is still read
// whole.
class RecordStarts
{
public:
    void reserve(size_t rows) { m_low.reserve(rows); }
    void push_back(uint64_t offset)
    {
        while ((offset >> 32) > m_highStarts.size())
            m_highStarts.push_back(m_low.size());
        m_low.push_back(uint32_t(offset));
    }
    uint64_t operator[](size_t row) const
    {
        uint64_t high = 0;
        if (!m_highStarts.empty())
            high = uint64_t(std::upper_bound(m_highStarts.begin(), m_highStarts.end(), row) - m_highStarts.begin());
        return high << 32 | m_low[row];
    }
    uint64_t front() const { return (*this)[0]; }
    size_t size() const { return m_low.size(); }
    bool empty() const { return m_low.empty(); }

private:
    LargeVector<uint32_t> m_low;
    std::vector<size_t> m_highStarts; // entry k: the first row whose offset is at least (k + 1) << 32
};
