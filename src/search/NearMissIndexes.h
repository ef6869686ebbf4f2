#pragma once

#include <list>
#include <memory>
#include <mutex>

class NearMissIndex;
class TextTable;

// The near-miss indexes of the lists opened lately, each kept while its table is: a list is indexed once, when it
// is opened, not at every search.
class NearMissIndexes
{
public:
    explicit NearMissIndexes(size_t capacity = 3);
    ~NearMissIndexes();

    std::shared_ptr<const NearMissIndex> of(const std::shared_ptr<const TextTable> &table);
    int builds() const { return m_builds; }

private:
    struct Entry
    {
        std::weak_ptr<const TextTable> table;
        std::shared_ptr<const NearMissIndex> index;
    };
    size_t m_capacity;
    std::list<Entry> m_entries; // most recently used first
    int m_builds = 0;
    std::mutex m_mutex; // lists are indexed on a worker thread as they are opened
};
