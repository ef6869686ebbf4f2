#include "search/PossibleMatchesPanel.h"

#include "platform/widgets/KeyboardReach.h"
#include "platform/widgets/ScrollSurface.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString field(const NearMissRecord &record, const char *column)
{
    const qsizetype at = record.columns.indexOf(QLatin1String(column));
    if (at < 0 || size_t(at) >= record.fields.size())
        return QString();
    return record.fields[size_t(at)].value_or(QString());
}

} // namespace

PossibleMatchesPanel::PossibleMatchesPanel(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_person(new QLabel(this))
    , m_records(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("PossibleMatches"));
    setWindowTitle(QString::fromLatin1(Caption));
    m_person->setObjectName(QStringLiteral("PossibleMatchesPerson"));
    m_person->setWordWrap(true);
    m_records->setObjectName(QStringLiteral("PossibleMatchesList"));
    m_records->setHeaderLabels({QStringLiteral("Score"), QStringLiteral("List"), QStringLiteral("SID"),
                                QStringLiteral("Name"), QStringLiteral("Date of birth"), QStringLiteral("Passport")});
    m_records->setRootIsDecorated(false);
    m_records->setSelectionMode(QAbstractItemView::NoSelection);
    m_records->header()->setStretchLastSection(true);
    auto *note = new QLabel(QStringLiteral("Advisories only: records whose names come close to the row's without "
                                           "the search finding them. The row's colours, Keep box and status are "
                                           "those the search gave it."),
                            this);
    note->setObjectName(QStringLiteral("PossibleMatchesNote"));
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_person);
    layout->addWidget(m_records, 1);
    layout->addWidget(note);
    setMinimumSize(480, 240);
    WindowFit::fitToScreen(*this, QSize(760, 360), QSize(480, 240));
    KeyboardReach::escapeCloses(*this);
}

void PossibleMatchesPanel::showRecords(const QString &person, const QList<NearMissRecord> &records)
{
    m_person->setText(records.isEmpty() ? QStringLiteral("%1: no possible matches.").arg(person)
                                        : QStringLiteral("%1: %2 possible %3.")
                                              .arg(person)
                                              .arg(records.size())
                                              .arg(records.size() == 1 ? "match" : "matches"));
    m_records->clear();
    for (const NearMissRecord &record : records) {
        const QString name =
            QStringLiteral("%1, %2 %3")
                .arg(field(record, "LASTNAME"), field(record, "FIRSTNAME"), field(record, "MIDDLENAME"))
                .trimmed();
        auto *item = new QTreeWidgetItem(m_records, {QString::number(record.score, 'f', 3), record.listName,
                                                     record.fields.empty() ? QString() : record.fields[0].value_or(""),
                                                     name, field(record, "DOB"), field(record, "PASSPORT/IDNUMBER")});
        for (const QString &reason : record.reasons) {
            auto *line = new QTreeWidgetItem(item, {reason});
            line->setFirstColumnSpanned(true);
        }
        item->setExpanded(true);
    }
    for (int c = 0; c < m_records->columnCount() - 1; ++c)
        m_records->resizeColumnToContents(c);
}

void PossibleMatchesPanel::showNothing(const QString &why)
{
    m_person->setText(why);
    m_records->clear();
}
