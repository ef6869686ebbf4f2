#include "search/NearMissIndexes.h"

#include "search/NearMissIndex.h"

NearMissIndexes::NearMissIndexes(size_t capacity)
    : m_capacity(capacity)
{}

NearMissIndexes::~NearMissIndexes() = default;

std::shared_ptr<const NearMissIndex> NearMissIndexes::of(const std::shared_ptr<const TextTable> &table)
{
    const std::lock_guard lock(m_mutex);
    // A table read again (the file changed) is another object; the old one's entry then no longer matches and
    // ages out.
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->table.lock() == table) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->index;
        }
    }
    auto index = std::make_shared<const NearMissIndex>(*table);
    ++m_builds;
    m_entries.push_front({table, index});
    while (m_entries.size() > m_capacity)
        m_entries.pop_back();
    return index;
}
