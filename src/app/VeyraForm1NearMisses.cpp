#include "app/VeyraForm1.h"

#include "engine/TextTable.h"
#include "platform/widgets/BusyWait.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Named.h"
#include "platform/widgets/TextBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/WindowFront.h"
#include "search/BatchScreening.h"
#include "search/NearMissFinder.h"
#include "search/PossibleMatchesPanel.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

// The near-miss advisory: beside the search's own marks, never instead of them. A row that the search visited
// and found nothing for, but whose names come close to records of the list, gets a small mark; the "Possible
// matches" panel lists those records. Every search, list selection and folder change starts afresh.

void VeyraForm1::buildNearMissMarks(QWidget *surface, int left, int top, int pitch, int height)
{
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (int row = 0; row < NameRowCount; ++row) {
        auto *mark = named(new QToolButton(surface), QStringLiteral("NearMiss_%1").arg(row));
        mark->setIcon(icon);
        mark->setAutoRaise(true);
        mark->setFocusPolicy(Qt::NoFocus);
        mark->hide();
        Twips::place(mark, left, top + row * pitch, 270, height);
        connect(mark, &QToolButton::clicked, this, [this, row] { NearMiss_Click(row); });
        m_nearMissMarks[row] = mark;
    }
    m_possibleMatches = new PossibleMatchesPanel(this);

    // The menu bar stays as the operators know it: the item sits in the rows' context menus.
    m_possibleMatchesAction =
        named(new QAction(QStringLiteral("Possible Matches"), this), QStringLiteral("PossibleMatches"));
    connect(m_possibleMatchesAction, &QAction::triggered, this, &VeyraForm1::PossibleMatches_Click);
    for (int row = 0; row < NameRowCount; ++row) {
        for (TextBox *box : rowBoxes(row)) {
            box->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint &at) {
                std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
                menu->addSeparator();
                menu->addAction(m_possibleMatchesAction);
                menu->exec(box->mapToGlobal(at));
            });
        }
    }
    connect(m_importedNamesGrid, &FlexGrid::markClicked, this, [this](int row, int) { NearMiss_Click(row); });
    m_importedNamesGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_importedNamesGrid->addAction(m_possibleMatchesAction);
    connect(m_importedNamesGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (gridMode() && m_possibleMatches->isVisible())
            showPossibleMatches(m_importedNamesGrid->row());
    });
}

// After the exact search, whose marks and summary are already shown: for many rows on a large list this takes
// seconds, so it runs off the window's thread, and a cancel leaves only the advisory out, never a mark.
void VeyraForm1::findNearMisses(const std::shared_ptr<const TextTable> &table,
                                const std::shared_ptr<const NearMissIndex> &index, const QString &listName,
                                std::vector<SearchedRow> rows)
{
    if (rows.empty())
        return;
    const int count = int(rows.size());
    auto found = std::make_shared<std::vector<RowNearMisses>>();
    const QStringList columns = BatchScreening::distinctNames(table->columnNames());
    std::atomic<bool> cancelled = false;
    const BusyWait::Ended ended = BusyWait::run(
        [found, table, index, listName, columns, rows = std::move(rows)] {
            const NearMissFinder finder(*table, *index);
            for (const SearchedRow &searched : rows) {
                if (size_t(searched.row) >= found->size())
                    found->resize(size_t(searched.row) + 1);
                (*found)[size_t(searched.row)] = {!searched.found.empty(), false, searched.written,
                                                  finder.records(searched.written, searched.found, listName, columns)};
            }
        },
        *m_busyLine,
        QStringLiteral("Looking for possible matches of %1 %2 in %3\u2026")
            .arg(count)
            .arg(count == 1 ? "name" : "names", listName),
        &cancelled);
    if (ended == BusyWait::Ended::Cancelled) {
        m_statusLine->setText(m_statusLine->text() +
                              QStringLiteral("   Possible matches were not looked for: cancelled."));
        return;
    }
    m_nearMisses = std::move(*found);
    showNearMissMarks();
}

bool VeyraForm1::nearMissMarked(int row) const
{
    if (row < 0 || size_t(row) >= m_nearMisses.size())
        return false;
    const RowNearMisses &found = m_nearMisses[size_t(row)];
    return !found.exact && !found.records.isEmpty();
}

QString VeyraForm1::nearMissTip(int row) const
{
    const qsizetype count = m_nearMisses[size_t(row)].records.size();
    return QStringLiteral("%1 possible %2 in the list (an advisory: the search found no match). Click to see %3.")
        .arg(count)
        .arg(count == 1 ? "match" : "matches")
        .arg(count == 1 ? "it" : "them");
}

void VeyraForm1::showNearMissMarks()
{
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (size_t row = 0; row < m_nearMisses.size(); ++row) {
        if (!nearMissMarked(int(row)))
            continue;
        if (gridMode()) {
            m_importedNamesGrid->setCellMark(int(row), 0, icon, nearMissTip(int(row)));
        } else if (row < size_t(NameRowCount)) {
            m_nearMissMarks[row]->setToolTip(nearMissTip(int(row)));
            m_nearMissMarks[row]->show();
        }
    }
    if (m_possibleMatches->isVisible())
        showPossibleMatches(m_possibleMatchesRow);
}

void VeyraForm1::clearNearMiss(int row)
{
    if (row >= 0 && size_t(row) < m_nearMisses.size())
        m_nearMisses[size_t(row)] = {};
    if (row >= 0 && row < NameRowCount)
        m_nearMissMarks[row]->hide();
    if (m_importedNamesGrid->cellMarked(row, 0))
        m_importedNamesGrid->setCellMark(row, 0, QIcon(), QString());
    if (row == m_possibleMatchesRow && m_possibleMatches->isVisible())
        showPossibleMatches(row);
}

void VeyraForm1::clearNearMisses()
{
    for (int row = 0; row < int(m_nearMisses.size()); ++row)
        clearNearMiss(row);
    m_nearMisses.clear();
    if (m_possibleMatches->isVisible())
        showPossibleMatches(m_possibleMatchesRow);
}

void VeyraForm1::NearMiss_Click(int row)
{
    showPossibleMatches(row);
    WindowFront::show(*m_possibleMatches);
}

void VeyraForm1::PossibleMatches_Click()
{
    // The row being worked on: the one holding the focus, else the first with a mark.
    int row = -1;
    if (gridMode()) {
        row = m_importedNamesGrid->row();
    } else {
        // The window's focus widget stays the box while its context menu is open.
        for (int r = 0; r < NameRowCount && row < 0; ++r) {
            for (TextBox *box : rowBoxes(r)) {
                if (focusWidget() == box)
                    row = r;
            }
        }
        for (int r = 0; r < NameRowCount && row < 0; ++r) {
            if (nearMissMarked(r))
                row = r;
        }
    }
    showPossibleMatches(std::max(row, 0));
    WindowFront::show(*m_possibleMatches);
}

void VeyraForm1::showPossibleMatches(int row)
{
    m_possibleMatchesRow = row;
    if (row < 0 || size_t(row) >= m_nearMisses.size() || m_nearMisses[size_t(row)].written.lastName.isEmpty()) {
        m_possibleMatches->showNothing(
            QStringLiteral("Row %1 was not searched against the selected list since the last change.").arg(row + 1));
        return;
    }
    RowNearMisses &found = m_nearMisses[size_t(row)];
    found.seen = true;
    QStringList person{found.written.lastName, found.written.firstAndMiddleName, found.written.dateOfBirth};
    person.removeAll(QString());
    m_possibleMatches->showRecords(QStringLiteral("Row %1: %2").arg(row + 1).arg(person.join(QStringLiteral(", "))),
                                   found.records);
}
