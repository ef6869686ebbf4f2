#pragma once

#include "audit/ScreeningEntry.h"
#include "search/ListIdentity.h"
#include "search/NameQuery.h"
#include "search/NearMissRecord.h"
#include "shared/Rgb.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class TableCache;

// The window's grid-mode search without the window: every person is searched against each list in turn, the
// marks carried from one list to the next as a sequence of searches carries them, with the window's own rules
// (SearchRun, NameQuery). A refused person is reported and the batch goes on.
class BatchScreening
{
public:
    struct Match
    {
        QString listName;
        QStringList columns;
        std::vector<std::optional<QString>> fields;
    };

    using NearMatch = NearMissRecord;

    struct Person
    {
        NameQuery::Row texts; // as the search writes them back: upper-cased
        Rgb foreColor;
        Rgb backColor{255, 255, 255};
        QString refusal; // "Need Last Name", "Must enter DOB", "REFUSED" (the engine's), or empty
        QString reason;  // why the engine refused the person's statement
        QList<Match> matches;
        QList<NearMatch> nearMisses; // best score first, when asked for

        // "NO FLY", "SSSS" or "CLEARED" as the manifest screening reads the marks, or the refusal.
        QString status() const;
        bool needsAttention() const;
    };

    explicit BatchScreening(const QList<NameQuery::Row> &names);

    // From now on each list is also searched for near misses of every searched person, at most limit per person
    // and list, scoring at least threshold. The verdicts stay those of the exact search.
    void findNearMisses(double threshold, size_t limit);

    static constexpr auto Rejected = "REFUSED";

    // A list's column names, a repeated one numbered so every column keeps its own name: MISC, MISC_2.
    static QStringList distinctNames(const QStringList &names);

    // The mode the screening record gives this batch's searches: ScreeningEntry::BatchMode unless set.
    void setMode(const QString &mode) { m_mode = mode; }

    // Searches every person against the list at listPath. False, with a reason, when the list cannot be read.
    using Progress = std::function<void(int done, int total)>;
    bool screen(const QString &listPath, TableCache &cache, QString *error, const Progress &progress = {});

    const QList<Person> &persons() const { return m_persons; }
    // The lists screened against, in order: which version of each was read.
    const QList<ListIdentity> &lists() const { return m_lists; }
    // Every person each list's search looked at, for the screening record: a list that failed included, up to
    // the person it failed at.
    const QList<ScreeningEntry> &entries() const { return m_entries; }

private:
    QList<Person> m_persons;
    QList<ListIdentity> m_lists;
    QList<ScreeningEntry> m_entries;
    QString m_mode = QString::fromLatin1(ScreeningEntry::BatchMode);
    std::optional<double> m_nearMissThreshold;
    size_t m_nearMissLimit = 0;
};
