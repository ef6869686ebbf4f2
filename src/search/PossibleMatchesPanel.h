#pragma once

#include "search/NearMissRecord.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

// The "Possible matches" panel: for one searched row, each record of the list that comes close to it without the
// exact search finding it, with its score and the reasons in words. A tool window of its own, so that nothing of
// the main window moves when it opens; it decides nothing and changes no mark.
class PossibleMatchesPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PossibleMatchesPanel(QWidget *parent);

    // person: how the row is named, "Row 3: MUHAMMAD, ALI, 3/4/1970"; records best first.
    void showRecords(const QString &person, const QList<NearMissRecord> &records);
    // No searched row to show.
    void showNothing(const QString &why);

    static constexpr auto Caption = "Possible matches";

private:
    QLabel *m_person;
    QTreeWidget *m_records;
};
