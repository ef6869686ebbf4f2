#pragma once

#include "lists/NameListFile.h"
#include "manifest/ManifestScreening.h"
#include "platform/files/KnownVersion.h"
#include "platform/widgets/FolderNavigator.h"
#include "search/NearMissRecord.h"
#include "search/RecordedSearch.h"
#include "search/SearchRun.h"

#include <QHash>
#include <QMainWindow>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class BusyLine;
class DriveList;
class FileList;
class FlexGrid;
class FolderList;
class Label;
class TextBox;
struct ListIdentity;
struct SearchSummary;
class MainWindowHost;
class NearMissFinder;
class NearMissIndex;
class TextTable;
class NearMissIndexes;
class PossibleMatchesPanel;
struct VeyraVariables;

// The main window: the folder lists through which watch lists are reached, the name rows, the search buttons
// and the result grid.
class VeyraForm1 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int NameRowCount = 10;
    // Command2's caption in text-box mode; any other caption means grid mode.
    static constexpr auto KeepCheckedCaption = "Keep Checked";

    explicit VeyraForm1(MainWindowHost &host);
    ~VeyraForm1() override;

    void Form_Load();
    void Form_Unload();
    void Dir1_Change();
    void Drive1_Change(const QString &drive);
    void File1_Click(const QString &fileName);
    void Command3_Click();
    void Command4_Click();
    void ManifestOpen_Click();
    void Settings_Click();
    void Form_MouseDown();

    // Name rows
    void Text1_Change(int index);
    void Text2_Change(int index) { rowChanged(index); }
    void Text3_Change(int index) { rowChanged(index); }
    void Text4_Change(int index) { rowChanged(index); }
    void Text1_KeyPress(int index, int keyCode);
    void Check1_Click(int index);
    void Check2_Click(int index);

    // Search and cleared-name handling
    void Command1_Click();
    void Command2_Click();
    void MSFlexGrid2_KeyPress(int keyCode);
    void showNameRows();

    void createHeader();

    // Saved name lists: save the rows into slot n of a kind, or fill them from it.
    void Crew_Click(int n) { saveNameList(NameListFile::Kind::Crew, n); }
    void Employee_Click(int n) { saveNameList(NameListFile::Kind::Employee, n); }
    void Mechanic_Click(int n) { saveNameList(NameListFile::Kind::Mechanic, n); }
    void Passenger_Click(int n) { saveNameList(NameListFile::Kind::Passenger, n); }
    void importcrew_Click(int n) { importNameList(NameListFile::Kind::Crew, n); }
    void importemployee_Click(int n) { importNameList(NameListFile::Kind::Employee, n); }
    void importmechanic_Click(int n) { importNameList(NameListFile::Kind::Mechanic, n); }
    void importpassenger_Click(int n) { importNameList(NameListFile::Kind::Passenger, n); }

    // Spreadsheet import into the imported-names grid
    void FromExcel_Click();
    void hideImportedNames();
    // sheet: the name of the sheet the names came from, said on the status line when given.
    void fillImportedNames(const QList<QStringList> &rows, const QString &sheet = QString());
    void reportUnreadableSpreadsheet(const QString &fileName, const QString &reason);
    // The sheet was read, with something the operator must know: names past the rows the import takes.
    void reportSpreadsheetNotice(const QString &fileName, const QString &notice);

    void printlog_Click();

    // The near-miss advisory: a row's mark, and the menu item, open the "Possible matches" panel.
    void NearMiss_Click(int row);
    void PossibleMatches_Click();
    void refreshFileList();
    void showStatus(const QString &text, const QColor &color);
    // Where a printout went when no printer took it: a line of its own, so the search's summary stays.
    void showPrintNotice(const QString &text, const QColor &color);

    // A name row's texts and the marks the searches left on it, as the manifest screening reads them.
    ManifestScreening::SearchedRow searchedRow(int index) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void buildMenus();
    void buildNameListMenus(QMenu *save, QMenu *import);
    void saveNameList(NameListFile::Kind kind, int n);
    void importNameList(NameListFile::Kind kind, int n);
    void buildControls();
    void buildNameRows(QWidget *surface);
    void setTabOrderFromRows();
    void placeGrowingControls(const QSize &size);
    void rowChanged(int index);
    void setRowBackground(int index, const QColor &color);
    // The four text boxes of a name row, left to right.
    std::array<TextBox *, 4> rowBoxes(int index) const;

    bool gridMode() const;
    void showSummary(const SearchSummary &summary);
    void showListChanged(const ListIdentity &list);
    // Appends what the search did with each row to the screening record; tells the operator when it cannot.
    void recordSearch(const QList<RecordedSearch::Visited> &visited);
    bool removalOfAdvisoriesAgreed();
    void repaintCoalesced();

    void buildNearMissMarks(QWidget *surface, int left, int top, int pitch, int height);
    // A row the exact search visited, with what it found: the near-miss advisory's input.
    struct SearchedRow
    {
        int row = 0;
        NameQuery::Row written;
        std::vector<uint64_t> found;
    };
    void findNearMisses(const std::shared_ptr<const TextTable> &table,
                        const std::shared_ptr<const NearMissIndex> &index, const QString &listName,
                        std::vector<SearchedRow> rows);
    bool nearMissMarked(int row) const;
    QString nearMissTip(int row) const;
    void showNearMissMarks();
    void clearNearMiss(int row);
    void clearNearMisses();
    void showPossibleMatches(int row);

    bool loadRememberedFolders();
    void fallBackToDataFolder();
    void forgetActiveList();
    void saveFolderConfig();

    MainWindowHost &m_host;
    VeyraVariables &m_vars;
    bool m_unloaded = false;
    qint64 m_lastRepaint = 0;
    std::unique_ptr<FolderNavigator> m_navigator;

    // Controls, named for what they are; their object names are the control names (Drive1, Text1_3, ...).
    DriveList *m_driveList = nullptr;                      // Drive1
    FolderList *m_folderList = nullptr;                    // Dir1
    FileList *m_fileList = nullptr;                        // File1
    QPushButton *m_searchButton = nullptr;                 // Command1
    QPushButton *m_keepCheckedButton = nullptr;            // Command2
    QPushButton *m_downloadButton = nullptr;               // Command3
    QPushButton *m_deleteFileButton = nullptr;             // Command4
    std::array<TextBox *, NameRowCount> m_lastNames{};     // Text1
    std::array<TextBox *, NameRowCount> m_firstNames{};    // Text2
    std::array<TextBox *, NameRowCount> m_datesOfBirth{};  // Text3
    std::array<TextBox *, NameRowCount> m_passports{};     // Text4
    std::array<QCheckBox *, NameRowCount> m_keepBoxes{};   // Check1
    std::array<QCheckBox *, NameRowCount> m_searchBoxes{}; // Check2
    Label *m_statusLine = nullptr;                         // Label3
    Label *m_printNotice = nullptr;
    BusyLine *m_busyLine = nullptr;                  // what the window is doing, over the status line, while it works
    Label *m_listIdentity = nullptr;                 // which version of the active list: name, records, date, hash
    QString m_selectedListSha256;                    // the version selected, or last searched: a change since is told
    QHash<QString, KnownVersion> m_nameListVersions; // each name-list file as this window read or saved it last
    FlexGrid *m_resultGrid = nullptr;                // MSFlexGrid1
    FlexGrid *m_importedNamesGrid = nullptr;         // MSFlexGrid2
    QProgressBar *m_progressBar = nullptr;           // ProgressBar1

    // What the last search found close to each row it visited.
    struct RowNearMisses
    {
        bool exact = false; // the search found the row's own matches
        bool seen = false;  // the operator opened the panel on the row
        NameQuery::Row written;
        QList<NearMissRecord> records;
    };
    std::vector<RowNearMisses> m_nearMisses;
    std::unique_ptr<NearMissIndexes> m_nearMissIndexes;
    std::array<QToolButton *, NameRowCount> m_nearMissMarks{}; // NearMiss_0 .. NearMiss_9, beside the Keep boxes
    PossibleMatchesPanel *m_possibleMatches = nullptr;
    QAction *m_possibleMatchesAction = nullptr; // PossibleMatches, in the rows' context menus
    int m_possibleMatchesRow = 0;
};
