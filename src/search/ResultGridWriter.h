#pragma once

#include "search/SearchRun.h"

#include <functional>

class FlexGrid;

// Copies a search's records into the result grid, one grid row each after the header.
class ResultGridWriter : public SearchResults
{
public:
    ResultGridWriter(FlexGrid *grid, std::function<void()> rowDone);

    void setFieldCount(int count) override;
    void addRecord(const std::vector<std::optional<QString>> &fields) override;
    void rowDone() override { m_rowDone(); }

private:
    FlexGrid *m_grid;
    std::function<void()> m_rowDone;
    int m_nextRow = 1;
};
