#include "app/VeyraForm1.h"

#include "app/MainWindowHost.h"
#include "audit/ScreeningRecord.h"
#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "platform/files/DataFolder.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TextBox.h"
#include "search/BatchScreening.h"
#include "search/ClearedRemoval.h"
#include "search/ImportedNamesSearch.h"
#include "search/ListIdentity.h"
#include "search/NameRowsSearch.h"
#include "search/NearMissFinder.h"
#include "search/NearMissIndexes.h"
#include "search/RecordedSearch.h"
#include "search/ResultGridWriter.h"
#include "search/SearchSummary.h"
#include "search/WatchListFile.h"
#include "search/WatchListSelection.h"
#include "shared/RgbColor.h"
#include "shared/VeyraVariables.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>

void VeyraForm1::Text1_Change(int index)
{
    rowChanged(index);
    m_keepCheckedButton->setEnabled(true);
}

// Every change of a row's text puts the row into the next search and clears the last search's summary.
void VeyraForm1::rowChanged(int index)
{
    clearNearMiss(index);
    m_searchBoxes[index]->setChecked(true);
    m_statusLine->setText(QString());
    m_statusLine->setForeColor(QColor(0, 0, 255));
}

void VeyraForm1::Text1_KeyPress(int index, int keyCode)
{
    if (keyCode == 13)
        m_lastNames[(index + 1) % NameRowCount]->setFocus();
}

void VeyraForm1::Check1_Click(int)
{
    m_keepCheckedButton->setEnabled(true);
}

void VeyraForm1::Check2_Click(int index)
{
    const bool leftOut = !m_searchBoxes[index]->isChecked() && !m_lastNames[index]->text().isEmpty();
    setRowBackground(index, toColor(leftOut ? RowColors::PaleYellow : RowColors::White));
}

ManifestScreening::SearchedRow VeyraForm1::searchedRow(int index) const
{
    const TextBox *firstNames = m_firstNames[index];
    return {m_lastNames[index]->text(),
            firstNames->text(),
            m_datesOfBirth[index]->text(),
            m_passports[index]->text(),
            toRgb(firstNames->foreColor()),
            toRgb(firstNames->backColor()),
            nearMissMarked(index) ? nearMissTip(index) : QString()};
}

std::array<TextBox *, 4> VeyraForm1::rowBoxes(int index) const
{
    return {m_lastNames[index], m_firstNames[index], m_datesOfBirth[index], m_passports[index]};
}

void VeyraForm1::setRowBackground(int index, const QColor &color)
{
    for (TextBox *box : rowBoxes(index))
        box->setBackColor(color);
}

bool VeyraForm1::gridMode() const
{
    return !m_importedNamesGrid->isHidden();
}

void VeyraForm1::Command1_Click()
{
    // No active list (the file clicked carried the working name): there is nothing to search.
    const QString listPath = m_vars.SelectedListPath;
    if (listPath.isEmpty())
        return;
    TextTableConnection connection(m_host.tableCache());
    try {
        connection.open(NameQuery::connectionText(QFileInfo(listPath).absolutePath()));
    } catch (const TextTableError &) {
        // The run would go on to reset the grid and then fail on its first statement: end there at once.
        createHeader();
        showSummary(SearchSummary::of(SearchRun::Outcome::Failed, gridMode(), 0));
        return;
    }
    createHeader();
    m_statusLine->setText(QStringLiteral("Searching..."));
    m_lastRepaint = 0;
    repaint();
    // The search holds the window's thread (it paints as it goes, at most 30 times a second); the cursor says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });

    // The list as the statements read it: read once here, and every statement of this search reads these very
    // bytes, which the identity line and the screening record then name.
    std::shared_ptr<const TextTable> table;
    std::shared_ptr<const NearMissIndex> index;
    std::vector<SearchedRow> searchedRows;
    SearchRun::Searched nearMisses;
    const QString listName = QFileInfo(listPath).fileName();
    const QString workingName = QString::fromLatin1(WatchListFile::WorkingName);
    // Bound to the path first: a list that cannot be read makes every statement fail, and the search says so.
    connection.bindTable(workingName, listPath);
    try {
        std::shared_ptr<TextTable> read = m_host.tableCache().table(listPath, true, listName);
        connection.bindTable(workingName, listPath, read);
        table = read;
        index = m_nearMissIndexes->of(table);
        nearMisses = [&searchedRows](int row, const NameQuery::Row &written, const std::vector<uint64_t> &found) {
            searchedRows.push_back({row, written, found});
        };
    } catch (const TextTableError &) {
        // The statements meet the same trouble and report it; the advisory is simply not there.
    }

    ListIdentity list{listName, 0, {}, {}};
    if (table)
        list = ListIdentity::of(*table, listName, QFileInfo(listPath).lastModified());
    ResultGridWriter results(m_resultGrid, [this] { repaintCoalesced(); });
    SearchRun::Outcome outcome;
    int uncleared = 0;
    QList<RecordedSearch::Visited> visited;
    if (gridMode()) {
        ImportedNamesSearch rows(m_importedNamesGrid, m_progressBar, this);
        RecordedSearch recorded(rows, results, QString::fromLatin1(ScreeningEntry::GridMode), list);
        outcome = SearchRun::run(connection, m_vars.SelectedListPath, recorded.rows(), recorded.results(),
                                 SearchRun::Refusals::Stop, nullptr, nearMisses);
        visited = recorded.visited(outcome);
        uncleared = rows.uncleared();
        if (outcome != SearchRun::Outcome::Failed) {
            m_importedNamesGrid->setCurrentCell(m_importedNamesGrid->row(), 0);
            // The search ends on the last row; the operator needs the first person it marked.
            for (int row = 0; row < m_importedNamesGrid->rows(); ++row) {
                if (rows.isRed(row)) {
                    m_importedNamesGrid->setTopRow(row);
                    break;
                }
            }
        }
    } else {
        NameRowsSearch rows({&m_lastNames, &m_firstNames, &m_datesOfBirth, &m_passports}, m_keepBoxes, m_searchBoxes,
                            this);
        RecordedSearch recorded(rows, results, QString::fromLatin1(ScreeningEntry::TextBoxMode), list);
        outcome = SearchRun::run(connection, m_vars.SelectedListPath, recorded.rows(), recorded.results(),
                                 SearchRun::Refusals::Stop, nullptr, nearMisses);
        visited = recorded.visited(outcome);
    }
    showSummary(SearchSummary::of(outcome, gridMode(), uncleared));
    if (table && !m_selectedListSha256.isEmpty() && list.sha256 != m_selectedListSha256)
        showListChanged(list);
    connection.close();
    if (table && index)
        findNearMisses(table, index, listName, std::move(searchedRows));
    recordSearch(visited);
}

void VeyraForm1::recordSearch(const QList<RecordedSearch::Visited> &visited)
{
    QList<ScreeningEntry> entries;
    entries.reserve(visited.size());
    for (const RecordedSearch::Visited &row : visited)
        entries.append(row.entry);
    // The result is on the screen already: a record that cannot be written is said, and changes nothing shown.
    const ScreeningRecord::Appended appended = ScreeningRecord(m_vars.DataFolder).append(entries);
    if (!appended.repair.isEmpty())
        MessageBox::show(this, appended.repair);
    if (!appended.ok)
        MessageBox::show(this, QStringLiteral("This search could not be written to the screening record.\n%1\n"
                                              "The results shown are those of the search.")
                                   .arg(appended.error));
}

void VeyraForm1::showListChanged(const ListIdentity &list)
{
    // Another copy of the list was put in its place (a newer version copied over it): this search read that one,
    // and the operator is told so once, with the version now named.
    // Short enough for the status line beside the summary; the identity line below names the version read.
    m_statusLine->setText(
        m_statusLine->text() +
        QStringLiteral("   %1 changed since it was selected; this search read the new version.").arg(list.file));
    m_listIdentity->setText(list.line());
    m_host.watchList().recordIdentity(list);
    m_selectedListSha256 = list.sha256;
}

void VeyraForm1::showSummary(const SearchSummary &summary)
{
    m_statusLine->setForeColor(toColor(summary.color));
    m_statusLine->setText(summary.text);
    if (summary.offerRemoval)
        m_keepCheckedButton->setEnabled(true);
}

void VeyraForm1::repaintCoalesced()
{
    // At most about 30 frames a second, so that painting never dominates a long search.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastRepaint < 33)
        return;
    m_lastRepaint = now;
    repaint();
}

void VeyraForm1::Command2_Click()
{
    if (!removalOfAdvisoriesAgreed())
        return;
    if (m_keepCheckedButton->text() == QLatin1String(VeyraForm1::KeepCheckedCaption)) {
        for (int i = 0; i < NameRowCount; ++i) {
            if (m_keepBoxes[i]->isChecked())
                continue;
            for (TextBox *box : rowBoxes(i))
                box->setText(QString());
            m_searchBoxes[i]->setChecked(false);
        }
    } else {
        ClearedRemoval::keepMarkedRows(*m_importedNamesGrid);
    }
    // The rows kept are those the search matched, which carry no advisory; the others are gone.
    clearNearMisses();
    m_keepCheckedButton->setEnabled(false);
}

// Rows that go carry their advisory away with them: the operator is asked first about those never looked at.
bool VeyraForm1::removalOfAdvisoriesAgreed()
{
    int unseen = 0;
    for (int row = 0; row < int(m_nearMisses.size()); ++row) {
        if (!nearMissMarked(row) || m_nearMisses[size_t(row)].seen)
            continue;
        const bool goes =
            gridMode() ? m_importedNamesGrid->cellForeColor(row, m_importedNamesGrid->col()) != toColor(RowColors::Red)
                       : row < NameRowCount && !m_keepBoxes[size_t(row)]->isChecked();
        if (goes)
            ++unseen;
    }
    if (unseen == 0)
        return true;
    const QString question =
        unseen == 1
            ? QStringLiteral("1 row has possible matches that were not looked at: remove it anyway?")
            : QStringLiteral("%1 rows have possible matches that were not looked at: remove them anyway?").arg(unseen);
    return MessageBox::askYesNo(this, question);
}

void VeyraForm1::showNameRows()
{
    clearNearMisses();
    m_importedNamesGrid->hide();
    m_progressBar->hide();
    m_keepCheckedButton->setText(QString::fromLatin1(VeyraForm1::KeepCheckedCaption));
    m_keepCheckedButton->setEnabled(false);
}

// Only letters, digits and a few signs can be typed into an imported name; backspace takes the last one away.
void VeyraForm1::MSFlexGrid2_KeyPress(int keyCode)
{
    const int row = m_importedNamesGrid->row();
    const int col = m_importedNamesGrid->col();
    const QString text = m_importedNamesGrid->textMatrix(row, col);
    if ((keyCode >= 47 && keyCode <= 57) || (keyCode >= 65 && keyCode <= 122)) {
        m_importedNamesGrid->setTextMatrix(row, col, text + QChar(keyCode));
        clearNearMiss(row);
    }
    if (keyCode == 8 && !text.isEmpty()) {
        m_importedNamesGrid->setTextMatrix(row, col, text.chopped(1));
        clearNearMiss(row);
    }
}
