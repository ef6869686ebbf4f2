#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// A record of a list that comes close to a searched person without the exact search finding it, as the window and
// the batch show it: an advisory only.
struct NearMissRecord
{
    QString listName;
    QStringList columns;
    std::vector<std::optional<QString>> fields;
    uint32_t row = 0; // the record's place in its list, from 0
    double score = 0;
    QStringList reasons;
};
