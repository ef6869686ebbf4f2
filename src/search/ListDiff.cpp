#include "search/ListDiff.h"

#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"
#include "shared/CsvField.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// A field's text as UTF-8, whatever the file's encoding: the same record in Windows-1252 and in UTF-8 has one key.
void appendText(std::string &out, const TextTable &table, std::string_view field)
{
    const bool ascii = std::all_of(field.begin(), field.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii || table.isUtf8()) {
        out.append(field);
        return;
    }
    const QByteArray utf8 = table.decode(field).toUtf8();
    out.append(utf8.constData(), size_t(utf8.size()));
}

// A value of a key: its length first, so that no two lists of values run together into one.
void appendValue(std::string &out, const TextTable &table, std::string_view field)
{
    const size_t at = out.size();
    out.append(sizeof(uint32_t), '\0');
    appendText(out, table, field);
    const auto length = uint32_t(out.size() - at - sizeof(uint32_t));
    std::memcpy(out.data() + at, &length, sizeof length);
}

struct List
{
    std::shared_ptr<TextTable> table;
    int columns = 0;
    QList<int> columnOf; // for each of the diff's named columns, this list's column, or -1

    // The record's bytes without its line end: equal bytes are an unchanged record, without decoding a field.
    std::string_view raw(size_t row) const
    {
        const std::string_view content = table->content();
        const size_t start = table->recordStart(row);
        const size_t end = row + 1 < table->rowCount() ? table->recordStart(row + 1) : content.size();
        std::string_view bytes = content.substr(start, end - start);
        while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
            bytes.remove_suffix(1);
        return bytes;
    }

    QStringList fields(size_t row) const
    {
        TextTable::Cursor cursor(*table);
        cursor.start(row);
        QStringList out;
        const int count = std::max(columns, cursor.count());
        out.reserve(count);
        for (int k = 0; k < count; ++k)
            out.append(table->decode(cursor.field(k)));
        return out;
    }

    // What the record holds, decoded, by the diff's column names and then by place beyond the header, without
    // empty values at its end: two records with the same content have the same text here.
    std::string content(TextTable::Cursor &cursor, size_t row) const
    {
        cursor.start(row);
        std::string out;
        size_t kept = 0;
        const auto add = [&](std::string_view field) {
            appendValue(out, *table, field);
            if (!field.empty())
                kept = out.size();
        };
        for (const int k : columnOf)
            add(k >= 0 ? cursor.field(k) : std::string_view());
        for (int k = columns, count = cursor.count(); k < count; ++k)
            add(cursor.field(k));
        out.resize(kept);
        return out;
    }

    // How a record is known: its SID as text, or everything it holds.
    std::string key(TextTable::Cursor &cursor, size_t row, bool bySid) const
    {
        if (!bySid)
            return content(cursor, row);
        cursor.start(row);
        std::string out;
        appendText(out, *table, cursor.field(0));
        return out;
    }
};

bool startsWithSid(const TextTable &table)
{
    return table.columnCount() > 0 && table.columnNames().first().trimmed().compare(u"SID", Qt::CaseInsensitive) == 0;
}

QString joined(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted.append(csvField(field));
    return quoted.join(u',');
}

} // namespace

ListDiff ListDiff::compare(const QString &oldPath, const QString &newPath)
{
    ListDiff diff;
    TableCache cache;
    List before, after;
    try {
        before.table = cache.table(oldPath, true);
        after.table = cache.table(newPath, true);
    } catch (const TextTableError &e) {
        diff.error = e.message();
        return diff;
    }
    before.columns = before.table->columnCount();
    after.columns = after.table->columnCount();

    // Fields are compared by column name, so a column moved to another place changes no record.
    diff.columns = after.table->columnNames();
    for (qsizetype c = 0; c < diff.columns.size(); ++c) {
        before.columnOf.append(before.table->columnIndex(diff.columns[c]));
        after.columnOf.append(int(c));
    }
    for (int k = 0; k < before.columns; ++k) {
        if (after.table->columnIndex(before.table->columnNames()[k]) < 0) {
            diff.columns.append(before.table->columnNames()[k]);
            before.columnOf.append(k);
            after.columnOf.append(-1);
        }
    }
    const bool sameShape = before.table->columnNames() == after.table->columnNames();
    const qsizetype named = diff.columns.size();
    // The diff's column of each field beyond a header, by the field's place: "(field 5)" is one column in both
    // lists, found without a search however many such fields a record has.
    std::vector<qsizetype> columnOfPlace;
    auto valuesOf = [&](const List &list, size_t row) {
        const QStringList fields = list.fields(row);
        QStringList values;
        values.reserve(std::max(named, fields.size()));
        for (qsizetype c = 0; c < named; ++c) {
            const int k = list.columnOf[c];
            values.append(k >= 0 ? fields.value(k) : QString());
        }
        // A field beyond the header is compared too, by its place in the record: a change there is no less a
        // change for having no column name.
        for (qsizetype k = list.columns; k < fields.size(); ++k) {
            if (columnOfPlace.size() <= size_t(k))
                columnOfPlace.resize(size_t(k) + 1, -1);
            qsizetype &c = columnOfPlace[size_t(k)];
            if (c < 0) {
                diff.columns.append(QStringLiteral("(field %1)").arg(k + 1));
                c = diff.columns.size() - 1;
            }
            while (values.size() <= c)
                values.append(QString());
            values[c] = fields[k];
        }
        return values;
    };

    diff.bySid = startsWithSid(*before.table) && startsWithSid(*after.table);
    const size_t oldRows = before.table->rowCount(), newRows = after.table->rowCount();
    constexpr uint32_t None = UINT32_MAX;
    TextTable::Cursor oldCursor(*before.table), newCursor(*after.table);

    // Old records by their key, each key's rows chained in file order from the first, which stands for the key.
    std::vector<std::string> oldKeys(oldRows);
    std::unordered_map<std::string_view, uint32_t> firstOfKey;
    firstOfKey.reserve(oldRows);
    std::vector<uint32_t> nextOfKey(oldRows, None), lastOfKey(oldRows, None);
    std::vector<uint32_t> oldCount(oldRows, 0), newCount(oldRows, 0);
    // The next old record of each key not yet met, walked in file order.
    std::vector<uint32_t> nextUnmet(oldRows, None);
    for (size_t r = 0; r < oldRows; ++r) {
        oldKeys[r] = before.key(oldCursor, r, diff.bySid);
        auto [slot, fresh] = firstOfKey.try_emplace(oldKeys[r], uint32_t(r));
        const uint32_t first = slot->second;
        if (fresh)
            nextUnmet[r] = uint32_t(r);
        else
            nextOfKey[lastOfKey[first]] = uint32_t(r);
        lastOfKey[first] = uint32_t(r);
        ++oldCount[first];
    }
    // Each new record's key, as the first old row of that key, or None.
    std::vector<uint32_t> keyOfNew(newRows, None);
    for (size_t r = 0; r < newRows; ++r) {
        const auto found = firstOfKey.find(after.key(newCursor, r, diff.bySid));
        if (found != firstOfKey.end()) {
            keyOfNew[r] = found->second;
            ++newCount[found->second];
        }
    }

    // Where a SID stands for several records, in either list, a record meets the one whose content it has first
    // (a record dropped from among several of a SID is removed, not the others changed); the rest meet in order.
    std::vector<uint32_t> pairOfNew(newRows, None);
    std::vector<bool> matched(oldRows, false);
    if (diff.bySid) {
        std::unordered_map<uint32_t, std::vector<uint32_t>> repeatedNew;
        for (size_t r = 0; r < newRows; ++r) {
            const uint32_t first = keyOfNew[r];
            if (first != None && (oldCount[first] > 1 || newCount[first] > 1))
                repeatedNew[first].push_back(uint32_t(r));
        }
        for (const auto &[first, rows] : repeatedNew) {
            std::unordered_map<std::string, std::deque<uint32_t>> byContent;
            for (uint32_t o = first; o != None; o = nextOfKey[o])
                byContent[before.content(oldCursor, o)].push_back(o);
            for (const uint32_t r : rows) {
                const auto same = byContent.find(after.content(newCursor, r));
                if (same == byContent.end() || same->second.empty())
                    continue;
                pairOfNew[r] = same->second.front();
                matched[same->second.front()] = true;
                same->second.pop_front();
            }
        }
    }
    for (size_t r = 0; r < newRows; ++r) {
        const uint32_t first = keyOfNew[r];
        uint32_t oldRow = pairOfNew[r];
        if (oldRow == None && first != None) {
            uint32_t &next = nextUnmet[first];
            while (next != None && matched[next])
                next = nextOfKey[next];
            oldRow = next;
        }
        if (oldRow == None) {
            newCursor.start(r);
            diff.entries.append({Change::Added,
                                 diff.bySid ? after.table->decode(newCursor.field(0)) : QString(),
                                 valuesOf(after, r),
                                 {}});
            continue;
        }
        matched[oldRow] = true;
        if (sameShape && before.raw(oldRow) == after.raw(r))
            continue;
        const QStringList oldValues = valuesOf(before, oldRow), newValues = valuesOf(after, r);
        newCursor.start(r);
        Entry entry{Change::Changed, diff.bySid ? after.table->decode(newCursor.field(0)) : QString(), {}, {}};
        for (qsizetype c = 0; c < std::max(oldValues.size(), newValues.size()); ++c) {
            if (oldValues.value(c) != newValues.value(c))
                entry.changed.append({diff.columns[c], oldValues.value(c), newValues.value(c)});
        }
        if (!entry.changed.isEmpty())
            diff.entries.append(entry);
    }
    for (size_t r = 0; r < oldRows; ++r) {
        if (matched[r])
            continue;
        oldCursor.start(r);
        diff.entries.append({Change::Removed,
                             diff.bySid ? before.table->decode(oldCursor.field(0)) : QString(),
                             valuesOf(before, r),
                             {}});
    }
    return diff;
}

namespace {
const char *changeName(ListDiff::Change change)
{
    switch (change) {
    case ListDiff::Change::Added:
        return "added";
    case ListDiff::Change::Removed:
        return "removed";
    case ListDiff::Change::Changed:
        return "changed";
    }
    return "";
}
} // namespace

QString ListDiff::csv() const
{
    QString out = QStringLiteral("change,SID,field,old,new\n");
    for (const Entry &entry : entries) {
        const QString head = QString::fromLatin1(changeName(entry.change)) + u',' + csvCell(entry.sid) + u',';
        if (entry.change == Change::Changed) {
            for (const Field &field : entry.changed)
                out += head + csvCell(field.name) + u',' + csvCell(field.oldValue) + u',' + csvCell(field.newValue) +
                       u'\n';
        } else if (entry.change == Change::Added) {
            out += head + QLatin1String(",,") + csvCell(joined(entry.record)) + u'\n';
        } else {
            out += head + u',' + csvCell(joined(entry.record)) + QLatin1String(",\n");
        }
    }
    return out;
}

QByteArray ListDiff::json() const
{
    QJsonArray added, removed, changed;
    auto recordObject = [this](const QStringList &record) {
        QJsonObject object;
        for (qsizetype c = 0; c < columns.size() && c < record.size(); ++c)
            object.insert(columns[c], record[c]);
        return object;
    };
    for (const Entry &entry : entries) {
        QJsonObject object{{QStringLiteral("SID"), entry.sid}};
        if (entry.change == Change::Changed) {
            QJsonArray fields;
            for (const Field &field : entry.changed)
                fields.append(QJsonObject{{QStringLiteral("field"), field.name},
                                          {QStringLiteral("old"), field.oldValue},
                                          {QStringLiteral("new"), field.newValue}});
            object.insert(QStringLiteral("fields"), fields);
            changed.append(object);
        } else {
            object.insert(QStringLiteral("record"), recordObject(entry.record));
            (entry.change == Change::Added ? added : removed).append(object);
        }
    }
    const QJsonObject root{{QStringLiteral("bySid"), bySid},
                           {QStringLiteral("added"), added},
                           {QStringLiteral("removed"), removed},
                           {QStringLiteral("changed"), changed}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
