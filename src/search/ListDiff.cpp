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
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

struct List
{
    std::shared_ptr<TextTable> table;
    int columns = 0;

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
        for (int k = 0; k < std::max(columns, cursor.count()); ++k)
            out.append(table->decode(cursor.field(k)));
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
    QList<int> oldColumnOf;
    for (const QString &name : std::as_const(diff.columns))
        oldColumnOf.append(before.table->columnIndex(name));
    for (int k = 0; k < before.columns; ++k) {
        if (after.table->columnIndex(before.table->columnNames()[k]) < 0) {
            diff.columns.append(before.table->columnNames()[k]);
            oldColumnOf.append(k);
        }
    }
    const bool sameShape = before.table->columnNames() == after.table->columnNames();
    const qsizetype named = diff.columns.size();
    auto valuesOf = [&](const List &list, size_t row, bool old) {
        const QStringList fields = list.fields(row);
        QStringList values;
        for (qsizetype c = 0; c < named; ++c) {
            const int k = old ? oldColumnOf[c] : (c < after.columns ? int(c) : -1);
            values.append(k >= 0 ? fields.value(k) : QString());
        }
        // A field beyond the header is compared too, by its place in the record: a change there is no less a
        // change for having no column name.
        for (qsizetype k = list.columns; k < fields.size(); ++k) {
            const QString name = QStringLiteral("(field %1)").arg(k + 1);
            qsizetype c = diff.columns.indexOf(name);
            if (c < 0) {
                diff.columns.append(name);
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
    std::vector<bool> matched(oldRows, false);
    TextTable::Cursor oldCursor(*before.table), newCursor(*after.table);
    // Old records by their key (the SID's bytes, or the whole record's), each key's rows chained in file order, so
    // that the n-th record of a key in the new list meets the n-th of the old.
    constexpr uint32_t None = UINT32_MAX;
    std::unordered_map<std::string_view, uint32_t> firstOldRow;
    firstOldRow.reserve(oldRows);
    std::vector<uint32_t> nextOldRow(oldRows, None);
    // A SID with doubled quotes is unescaped into the cursor's own memory: such keys are kept here.
    std::deque<std::string> unescapedKeys;
    const std::string_view oldContent = before.table->content();
    for (size_t r = oldRows; r-- > 0;) {
        oldCursor.start(r);
        std::string_view key = diff.bySid ? oldCursor.field(0) : before.raw(r);
        if (key.data() < oldContent.data() || key.data() + key.size() > oldContent.data() + oldContent.size())
            key = unescapedKeys.emplace_back(key);
        auto [slot, fresh] = firstOldRow.try_emplace(key, uint32_t(r));
        if (!fresh) {
            nextOldRow[r] = slot->second;
            slot->second = uint32_t(r);
        }
    }
    for (size_t r = 0; r < newRows; ++r) {
        newCursor.start(r);
        const std::string_view key = diff.bySid ? newCursor.field(0) : after.raw(r);
        auto found = firstOldRow.find(key);
        if (found == firstOldRow.end() || found->second == None) {
            Entry entry{
                Change::Added, diff.bySid ? after.table->decode(key) : QString(), valuesOf(after, r, false), {}};
            diff.entries.append(entry);
            continue;
        }
        const uint32_t oldRow = found->second;
        found->second = nextOldRow[oldRow];
        matched[oldRow] = true;
        if (sameShape && before.raw(oldRow) == after.raw(r))
            continue;
        const QStringList oldValues = valuesOf(before, oldRow, true), newValues = valuesOf(after, r, false);
        Entry entry{Change::Changed, after.table->decode(key), {}, {}};
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
                             valuesOf(before, r, true),
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
        const QString head = QString::fromLatin1(changeName(entry.change)) + u',' + csvField(entry.sid) + u',';
        if (entry.change == Change::Changed) {
            for (const Field &field : entry.changed)
                out += head + csvField(field.name) + u',' + csvField(field.oldValue) + u',' + csvField(field.newValue) +
                       u'\n';
        } else if (entry.change == Change::Added) {
            out += head + QLatin1String(",,") + csvField(joined(entry.record)) + u'\n';
        } else {
            out += head + u',' + csvField(joined(entry.record)) + QLatin1String(",\n");
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
