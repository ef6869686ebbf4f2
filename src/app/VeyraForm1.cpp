#include "app/VeyraForm1.h"

#include "app/FolderConfig.h"
#include "app/MainWindowHost.h"
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Named.h"
#include "platform/widgets/TextBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/WindowFront.h"
#include "search/ImportedNamesSearch.h"
#include "search/NameQuery.h"
#include "search/NameRowsSearch.h"
#include "search/ResultGridWriter.h"
#include "search/RowMarks.h"
#include "search/SearchRun.h"
#include "search/WatchListFile.h"
#include "search/WatchListSelection.h"
#include "shared/RgbColor.h"
#include "shared/VeyraVariables.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Layout of the window, in twips.
constexpr int Margin = 120;
constexpr int ListsWidth = 3600;
constexpr int RowsLeft = Margin + ListsWidth + 240;
constexpr int RowsTop = 480;
constexpr int RowPitch = 360;
constexpr int RowHeight = 330;
constexpr int ResultGridTop = 6660;
constexpr int WindowWidth = 15000;
constexpr int WindowHeight = 10560;

struct Column
{
    int left;
    int width;
};
constexpr Column LastNameColumn{RowsLeft, 2400};
constexpr Column FirstNameColumn{RowsLeft + 2460, 2880};
constexpr Column BirthDateColumn{RowsLeft + 5400, 1440};
constexpr Column PassportColumn{RowsLeft + 6900, 2160};
constexpr Column SearchColumn{RowsLeft + 9180, 780};
constexpr Column KeepColumn{RowsLeft + 9960, 780};
constexpr int RowsWidth = KeepColumn.left + KeepColumn.width - RowsLeft;

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

constexpr auto KeepCheckedCaption = "Keep Checked";

} // namespace

VeyraForm1::VeyraForm1(MainWindowHost &host)
    : m_host(host)
    , m_vars(host.variables())
{
    setObjectName(QStringLiteral("VeyraForm1"));
    setWindowTitle(QStringLiteral("VeyraCheck     v3.1"));
    buildMenus();
    buildControls();
    resize(Twips::toPixelsX(WindowWidth, *this), Twips::toPixelsY(WindowHeight, *this));
}

void VeyraForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto action = [bar](const char *name, const char *caption) {
        return named(bar->addAction(QString::fromLatin1(caption)), QString::fromLatin1(name));
    };
    // The blank entries keep the menus apart, as the operators are used to.
    auto spacer = [bar] { bar->addAction(QString())->setEnabled(false); };

    connect(action("Settings", "Settings"), &QAction::triggered, this, &VeyraForm1::Settings_Click);
    spacer();
    connect(action("ManifestOpen", "Manifest"), &QAction::triggered, this, &VeyraForm1::ManifestOpen_Click);
    spacer();
    QMenu *save = named(bar->addMenu(QStringLiteral("Save Names")), QStringLiteral("SaveNames"));
    spacer();
    QMenu *import = named(bar->addMenu(QStringLiteral("Import Names")), QStringLiteral("ImportNames"));
    spacer();
    buildNameListMenus(save, import);
    connect(action("printlog", "Print Log"), &QAction::triggered, this, &VeyraForm1::printlog_Click);
}

void VeyraForm1::buildNameListMenus(QMenu *save, QMenu *import)
{
    using Kind = NameListFile::Kind;
    struct Entries
    {
        Kind kind;
        const char *saveName;
        const char *importName;
        const char *caption;
    };
    const Entries kinds[] = {{Kind::Crew, "Crew", "importcrew", "Crew #%1"},
                             {Kind::Employee, "Employee", "importemployee", "Employees #%1"},
                             {Kind::Mechanic, "Mechanic", "importmechanic", "Mechanics #%1"},
                             {Kind::Passenger, "Passenger", "importpassenger", "Passengers #%1"}};
    for (const Entries &entries : kinds) {
        if (entries.kind != Kind::Crew) {
            save->addAction(QString())->setEnabled(false);
            import->addAction(QString())->setEnabled(false);
        }
        for (int n = 1; n <= NameListFile::Slots; ++n) {
            QString caption = QString::fromLatin1(entries.caption).arg(n);
            // The operators' menu has always read so.
            const QString saveCaption =
                entries.kind == Kind::Passenger && n == 3 ? QStringLiteral("Passengesr #3") : caption;
            connect(named(save->addAction(saveCaption), indexed(entries.saveName, n)), &QAction::triggered, this,
                    [this, kind = entries.kind, n] { saveNameList(kind, n); });
            connect(named(import->addAction(caption), indexed(entries.importName, n)), &QAction::triggered, this,
                    [this, kind = entries.kind, n] { importNameList(kind, n); });
        }
    }
    import->addAction(QString())->setEnabled(false);
    connect(named(import->addAction(QStringLiteral("From Excel")), QStringLiteral("FromExcel")), &QAction::triggered,
            this, &VeyraForm1::FromExcel_Click);
}

void VeyraForm1::buildControls()
{
    auto *surface = new QWidget(this);
    setCentralWidget(surface);

    m_driveList = named(new DriveList(surface), QStringLiteral("Drive1"));
    Twips::place(m_driveList, Margin, Margin, ListsWidth, RowHeight);
    m_folderList = named(new FolderList(surface), QStringLiteral("Dir1"));
    Twips::place(m_folderList, Margin, 540, ListsWidth, 2640);
    m_fileList = named(new FileList(surface), QStringLiteral("File1"));
    m_fileList->setPattern(QString::fromLatin1(WatchListFile::Pattern));
    Twips::place(m_fileList, Margin, 3300, ListsWidth, 2160);
    m_downloadButton = named(new QPushButton(QStringLiteral("Download Database"), surface), QStringLiteral("Command3"));
    Twips::place(m_downloadButton, Margin, 5580, ListsWidth, 420);
    m_deleteFileButton = named(new QPushButton(QStringLiteral("Delete File"), surface), QStringLiteral("Command4"));
    Twips::place(m_deleteFileButton, Margin, 6060, ListsWidth, 420);

    buildNameRows(surface);

    m_searchButton = named(new QPushButton(QStringLiteral("Search"), surface), QStringLiteral("Command1"));
    Twips::place(m_searchButton, RowsLeft, 4200, 1500, 420);
    m_searchButton->setEnabled(false);
    m_keepCheckedButton = named(new QPushButton(QStringLiteral("Keep Checked"), surface), QStringLiteral("Command2"));
    Twips::place(m_keepCheckedButton, RowsLeft + 1620, 4200, 1500, 420);
    m_keepCheckedButton->setEnabled(false);
    m_progressBar = named(new QProgressBar(surface), QStringLiteral("ProgressBar1"));
    Twips::place(m_progressBar, RowsLeft + 3300, 4260, RowsWidth - 3300, 300);
    m_progressBar->hide();
    m_statusLine = named(new Label(QString(), surface), QStringLiteral("Label3"));
    Twips::place(m_statusLine, RowsLeft, 4800, RowsWidth, RowHeight);
    m_printNotice = named(new Label(QString(), surface), QStringLiteral("PrintNotice"));
    m_printNotice->setWordWrap(true);
    m_printNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(m_printNotice, RowsLeft, 5280, RowsWidth, 2 * RowHeight);

    m_importedNamesGrid = named(new FlexGrid(surface), QStringLiteral("MSFlexGrid2"));
    Twips::place(m_importedNamesGrid, RowsLeft, Margin, RowsWidth, RowsTop + 10 * RowPitch - Margin);
    m_importedNamesGrid->hide();
    m_resultGrid = named(new FlexGrid(surface), QStringLiteral("MSFlexGrid1"));

    setTabOrderFromRows();

    connect(m_folderList, &FolderList::pathChanged, this, &VeyraForm1::Dir1_Change);
    connect(m_folderList, &FolderList::pathRejected, this,
            [this](const QString &, const QString &reason) { MessageBox::show(this, reason); });
    connect(m_driveList, &DriveList::driveChanged, this, &VeyraForm1::Drive1_Change);
    connect(m_fileList, &FileList::fileClicked, this, &VeyraForm1::File1_Click);
    connect(m_downloadButton, &QPushButton::clicked, this, &VeyraForm1::Command3_Click);
    connect(m_deleteFileButton, &QPushButton::clicked, this, &VeyraForm1::Command4_Click);
    connect(m_searchButton, &QPushButton::clicked, this, &VeyraForm1::Command1_Click);
    connect(m_keepCheckedButton, &QPushButton::clicked, this, &VeyraForm1::Command2_Click);
    connect(m_importedNamesGrid, &FlexGrid::keyPressed, this, &VeyraForm1::MSFlexGrid2_KeyPress);
}

void VeyraForm1::buildNameRows(QWidget *surface)
{
    const char *textCaptions[] = {"Last Name", "First and Middle Name", "Date of Birth", "Passport Number"};
    const Column textColumns[] = {LastNameColumn, FirstNameColumn, BirthDateColumn, PassportColumn};
    for (int i = 0; i < 4; ++i) {
        auto *label = named(new Label(QString::fromLatin1(textCaptions[i]), surface), indexed("Label1", i));
        Twips::place(label, textColumns[i].left, Margin, textColumns[i].width, RowHeight);
    }
    const char *boxCaptions[] = {"Search", "Keep"};
    const Column boxColumns[] = {SearchColumn, KeepColumn};
    for (int i = 0; i < 2; ++i) {
        auto *label = named(new Label(QString::fromLatin1(boxCaptions[i]), surface), indexed("Label2", i));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        Twips::place(label, boxColumns[i].left, Margin, boxColumns[i].width, RowHeight);
    }

    std::array<TextBox *, NameRowCount> *texts[] = {&m_lastNames, &m_firstNames, &m_datesOfBirth, &m_passports};
    const char *textNames[] = {"Text1", "Text2", "Text3", "Text4"};
    for (int row = 0; row < NameRowCount; ++row) {
        const int top = RowsTop + row * RowPitch;
        for (int i = 0; i < 4; ++i) {
            TextBox *box = named(new TextBox(surface), indexed(textNames[i], row));
            Twips::place(box, textColumns[i].left, top, textColumns[i].width, RowHeight);
            (*texts[i])[row] = box;
        }
        m_searchBoxes[row] = named(new QCheckBox(surface), indexed("Check2", row));
        Twips::place(m_searchBoxes[row], SearchColumn.left + 270, top, SearchColumn.width - 270, RowHeight);
        m_keepBoxes[row] = named(new QCheckBox(surface), indexed("Check1", row));
        Twips::place(m_keepBoxes[row], KeepColumn.left + 270, top, KeepColumn.width - 270, RowHeight);

        QFont bold = m_lastNames[row]->font();
        bold.setBold(true);
        m_lastNames[row]->setFont(bold);
        m_firstNames[row]->setFont(bold);
        connect(m_lastNames[row], &QLineEdit::textChanged, this, [this, row] { Text1_Change(row); });
        connect(m_firstNames[row], &QLineEdit::textChanged, this, [this, row] { Text2_Change(row); });
        connect(m_datesOfBirth[row], &QLineEdit::textChanged, this, [this, row] { Text3_Change(row); });
        connect(m_passports[row], &QLineEdit::textChanged, this, [this, row] { Text4_Change(row); });
        connect(m_lastNames[row], &QLineEdit::returnPressed, this, [this, row] { Text1_KeyPress(row, 13); });
        connect(m_keepBoxes[row], &QCheckBox::toggled, this, [this, row] { Check1_Click(row); });
        connect(m_searchBoxes[row], &QCheckBox::toggled, this, [this, row] { Check2_Click(row); });
    }
}

// The operator types first: the text boxes lead the tab order row by row, then the buttons that act on them, the
// rows' check boxes, and the lists last.
void VeyraForm1::setTabOrderFromRows()
{
    QList<QWidget *> order;
    for (int row = 0; row < NameRowCount; ++row) {
        for (TextBox *box : rowBoxes(row))
            order.append(box);
    }
    order << m_searchButton << m_keepCheckedButton;
    for (int row = 0; row < NameRowCount; ++row)
        order << m_searchBoxes[row] << m_keepBoxes[row];
    order << m_importedNamesGrid << m_driveList << m_folderList << m_fileList << m_downloadButton << m_deleteFileButton
          << m_resultGrid;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void VeyraForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const QWidget *surface = centralWidget();
    const int width = Twips::fromPixelsX(surface->width(), *this) - 2 * Margin;
    const int height = Twips::fromPixelsY(surface->height(), *this) - ResultGridTop - Margin;
    Twips::place(m_resultGrid, Margin, ResultGridTop, std::max(width, 1440), std::max(height, 720));
}

void VeyraForm1::Form_Load()
{
    // Each failing step falls back to the data folder, and start-up goes on with the step after it.
    if (!loadRememberedFolders())
        fallBackToDataFolder();
    // The manifest window exists, hidden, from start-up on, even when the step that points its list failed.
    m_host.loadManifestWindow();
    createHeader();
    show();
    m_lastNames[0]->setFocus();
    if (!m_host.loadCompanyInfo())
        fallBackToDataFolder();
}

bool VeyraForm1::loadRememberedFolders()
{
    if (!QFileInfo::exists(FolderConfig::path(m_vars.DataFolder))) {
        if (!m_folderList->changePath(m_vars.DataFolder))
            return false;
        return m_host.setManifestFolder(m_vars.DataFolder);
    }
    // All three values are read before the folder list moves: its change handler rewrites the file at once.
    const QStringList values = FolderConfig::read(m_vars.DataFolder);
    QString *folders[] = {&m_vars.MainFolder, &m_vars.ManifestFolder, &m_vars.SpreadsheetFolder};
    for (qsizetype i = 0; i < 3; ++i) {
        if (i >= values.size())
            return false;
        *folders[i] = values[i];
    }
    if (!m_folderList->changePath(m_vars.MainFolder))
        return false;
    return m_host.setManifestFolder(m_vars.ManifestFolder);
}

void VeyraForm1::fallBackToDataFolder()
{
    m_folderList->changePath(m_vars.DataFolder);
    m_vars.MainFolder = m_vars.DataFolder;
    m_vars.ManifestFolder = m_vars.DataFolder;
}

void VeyraForm1::Dir1_Change()
{
    const QString folder = m_folderList->path();
    m_fileList->setPath(folder);
    m_searchButton->setEnabled(false);
    createHeader();
    restoreActiveList();
    m_vars.MainFolder = folder;
    m_driveList->showDriveOf(folder);
    m_driveFolders.insert(m_driveList->drive(), folder);
    saveFolderConfig();
}

void VeyraForm1::Drive1_Change(const QString &drive)
{
    const QString previousFolder = m_folderList->path();
    const QString target = m_driveFolders.value(drive, drive);
    QString error;
    const bool moved =
        m_folderList->changePath(target, &error) || (target != drive && m_folderList->changePath(drive, &error));
    if (!moved) {
        m_driveList->showDriveOf(previousFolder);
        MessageBox::show(this, QStringLiteral("The drive %1 cannot be read.\n%2").arg(drive, error));
        return;
    }
    m_searchButton->setEnabled(false);
    createHeader();
    restoreActiveList();
}

void VeyraForm1::File1_Click(const QString &fileName)
{
    createHeader();
    QString error;
    if (!m_host.watchList().select(m_folderList->path(), fileName, &error)) {
        m_fileList->refresh();
        MessageBox::show(this, QStringLiteral("The list %1 cannot be opened.\n%2").arg(fileName, error));
        return;
    }
    m_searchButton->setEnabled(true);
    // Read now: the operator learns at once of a list that cannot be read whole, and the first search finds
    // it parsed. Search stays enabled and, on such a list, ends as an incomplete search.
    try {
        if (!m_vars.WorkingListPath.isEmpty())
            m_host.tableCache().table(m_vars.WorkingListPath, true, fileName);
    } catch (const TextTableError &e) {
        MessageBox::show(this, QStringLiteral("The list %1 cannot be read.\n%2").arg(fileName, e.message()));
    }
}

void VeyraForm1::Command4_Click()
{
    QString error;
    if (!m_host.watchList().deleteWorkingFile(m_folderList->path(), &error))
        MessageBox::show(this, error);
    m_fileList->refresh();
}

void VeyraForm1::ManifestOpen_Click()
{
    WindowFront::show(m_host.manifestWindowWidget());
}

void VeyraForm1::Settings_Click()
{
    WindowFront::show(m_host.settingsWindowWidget());
}

void VeyraForm1::Form_MouseDown()
{
    QWidget *settings = m_host.existingSettingsWindowWidget();
    if (settings && settings->isVisible()) {
        settings->raise();
        settings->activateWindow();
    }
}

void VeyraForm1::mousePressEvent(QMouseEvent *event)
{
    QMainWindow::mousePressEvent(event);
    Form_MouseDown();
}

void VeyraForm1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void VeyraForm1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    restoreActiveList();
    m_host.unloadOtherWindows();
}

void VeyraForm1::restoreActiveList()
{
    const QString listPath = m_vars.SelectedListPath;
    QString error;
    if (!m_host.watchList().restore(&error))
        MessageBox::show(this, QStringLiteral("The list %1 could not get its own name back; it will at the next "
                                              "start.\n%2")
                                   .arg(listPath, error));
}

void VeyraForm1::saveFolderConfig()
{
    m_host.saveFolderConfig();
}

void VeyraForm1::createHeader()
{
    m_statusLine->setText(QString());
    m_resultGrid->clear();
    m_resultGrid->setRows(2);
    m_resultGrid->setFixedRows(1);
    m_resultGrid->setFixedCols(0);
    m_resultGrid->setRows(1);
    m_resultGrid->setCols(11);
    const auto &columns = WatchListFile::resultHeader();
    for (int c = 0; c < columns.size(); ++c) {
        const auto &column = columns[c];
        m_resultGrid->setTextMatrix(0, c, column.text);
        const int base = column.baseWidthTwips > 0 ? column.baseWidthTwips : Twips::textWidth(*this, column.text);
        m_resultGrid->setColWidth(c, base + WatchListFile::HeaderPaddingTwips);
    }
}

void VeyraForm1::Text1_Change(int index)
{
    rowChanged(index);
    m_keepCheckedButton->setEnabled(true);
}

// Every change of a row's text puts the row into the next search and clears the last search's summary.
void VeyraForm1::rowChanged(int index)
{
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
    return {m_lastNames[index]->text(),     firstNames->text(),
            m_datesOfBirth[index]->text(),  m_passports[index]->text(),
            toRgb(firstNames->foreColor()), toRgb(firstNames->backColor())};
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
    const QString folder = m_folderList->path();
    if (!QFileInfo::exists(DataFolder::filePath(folder, QString::fromLatin1(WatchListFile::WorkingName))))
        return;
    TextTableConnection connection(m_host.tableCache());
    try {
        connection.open(NameQuery::connectionText(folder));
    } catch (const TextTableError &) {
        // The run would go on to reset the grid and then fail on its first statement: end there at once.
        createHeader();
        showSearchFailure();
        return;
    }
    createHeader();
    m_statusLine->setText(QStringLiteral("Searching..."));
    m_lastRepaint = 0;
    repaint();

    ResultGridWriter results(m_resultGrid, [this] { repaintCoalesced(); });
    SearchRun::Outcome outcome;
    if (gridMode()) {
        ImportedNamesSearch rows(m_importedNamesGrid, m_progressBar, this);
        outcome = SearchRun::run(connection, m_vars.SelectedListPath, rows, results);
        if (outcome != SearchRun::Outcome::Failed)
            showGridSummary(rows.uncleared());
    } else {
        NameRowsSearch rows({&m_lastNames, &m_firstNames, &m_datesOfBirth, &m_passports}, m_keepBoxes, m_searchBoxes,
                            this);
        outcome = SearchRun::run(connection, m_vars.SelectedListPath, rows, results);
        if (outcome != SearchRun::Outcome::Failed) {
            m_statusLine->setForeColor(toColor(RowColors::StatusBlue));
            m_statusLine->setText(QStringLiteral("Search succesful"));
        }
    }
    // A failed run keeps its error text; a refused one reports success, as the operators know it.
    if (outcome == SearchRun::Outcome::Failed)
        showSearchFailure();
    connection.close();
}

void VeyraForm1::showSearchFailure()
{
    m_statusLine->setForeColor(toColor(RowColors::Red));
    m_statusLine->setText(QStringLiteral(" Incomplete Search, Try again"));
}

void VeyraForm1::showGridSummary(int uncleared)
{
    m_importedNamesGrid->setCurrentCell(m_importedNamesGrid->row(), 0);
    if (uncleared > 0) {
        m_statusLine->setForeColor(toColor(RowColors::Red));
        m_statusLine->setText(QStringLiteral("Search successful. There are %1 uncleared names").arg(uncleared));
        m_keepCheckedButton->setEnabled(true);
    } else {
        m_statusLine->setForeColor(toColor(RowColors::StatusBlue));
        m_statusLine->setText(QStringLiteral("Search successful. All names have cleared"));
    }
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
    if (m_keepCheckedButton->text() == QLatin1String(KeepCheckedCaption)) {
        for (int i = 0; i < NameRowCount; ++i) {
            if (m_keepBoxes[i]->isChecked())
                continue;
            for (TextBox *box : rowBoxes(i))
                box->setText(QString());
            m_searchBoxes[i]->setChecked(false);
        }
    } else {
        // Only rows marked red in the current column survive, in their order.
        const int col = m_importedNamesGrid->col();
        const int bound = m_importedNamesGrid->rows() - 1;
        for (int i = 0; i <= bound && i < m_importedNamesGrid->rows();) {
            if (m_importedNamesGrid->cellForeColor(i, col) == toColor(RowColors::Red)) {
                ++i;
                continue;
            }
            if (m_importedNamesGrid->rows() == 1) {
                // The grid keeps one empty row rather than none, with no text, colour or mark left from before.
                m_importedNamesGrid->clear();
                break;
            }
            m_importedNamesGrid->removeRow(i);
        }
    }
    m_keepCheckedButton->setEnabled(false);
}

void VeyraForm1::saveNameList(NameListFile::Kind kind, int n)
{
    showNameRows();
    QList<NameQuery::Row> rows;
    for (int i = 0; i < NameRowCount; ++i)
        rows.append(
            {m_lastNames[i]->text(), m_firstNames[i]->text(), m_datesOfBirth[i]->text(), m_passports[i]->text()});
    const QString name = NameListFile::fileName(kind, n);
    QString error;
    if (!NameListFile::write(DataFolder::filePath(m_vars.ManifestFolder, name), rows, &error))
        MessageBox::show(
            this, QStringLiteral("The names could not be saved as %1.\n%2\nThe list is as it was.").arg(name, error));
}

void VeyraForm1::importNameList(NameListFile::Kind kind, int n)
{
    showNameRows();
    for (int i = 0; i < NameRowCount; ++i) {
        for (TextBox *box : rowBoxes(i)) {
            box->setText(QString());
            box->setForeColor(toColor(RowColors::Black));
            box->setBackColor(toColor(RowColors::White));
        }
    }
    const QString name = NameListFile::fileName(kind, n);
    m_vars.CurrentNameFile = name;
    const QList<NameQuery::Row> rows = NameListFile::read(DataFolder::filePath(m_vars.ManifestFolder, name));
    for (int i = 0; i < rows.size(); ++i) {
        m_lastNames[i]->setText(rows[i].lastName);
        m_firstNames[i]->setText(rows[i].firstAndMiddleName);
        m_datesOfBirth[i]->setText(rows[i].dateOfBirth);
        m_passports[i]->setText(rows[i].passport);
    }
}

void VeyraForm1::FromExcel_Click()
{
    for (int i = 0; i < NameRowCount; ++i)
        for (TextBox *box : rowBoxes(i))
            box->setText(QString());
    m_importedNamesGrid->clear();
    m_importedNamesGrid->setFixedRows(0);
    m_importedNamesGrid->setRows(SpreadsheetReader::MaxRows + 1);
    m_importedNamesGrid->setCols(4);
    const int widths[] = {3500, 3500, 1750, 2500};
    for (int c = 0; c < 4; ++c)
        m_importedNamesGrid->setColWidth(c, widths[c]);
    m_importedNamesGrid->show();
    m_importedNamesGrid->raise();
    m_keepCheckedButton->setText(QStringLiteral("Remove Cleared"));
    m_progressBar->show();
    m_progressBar->setValue(1);
    repaint();
    WindowFront::show(m_host.excelImportWindowWidget());
}

void VeyraForm1::hideImportedNames()
{
    m_importedNamesGrid->hide();
}

void VeyraForm1::fillImportedNames(const QList<QStringList> &rows)
{
    m_importedNamesGrid->setClip(0, 0, rows);
    m_importedNamesGrid->setCurrentCell(0, 1);
}

void VeyraForm1::reportUnreadableSpreadsheet(const QString &fileName, const QString &reason)
{
    // An empty grid must not pass for a list without names.
    showStatus(QStringLiteral("%1 could not be read: %2").arg(fileName, reason), toColor(RowColors::Red));
}

void VeyraForm1::reportSpreadsheetNotice(const QString &fileName, const QString &notice)
{
    showStatus(QStringLiteral("%1: %2").arg(fileName, notice), toColor(RowColors::Red));
}

void VeyraForm1::showStatus(const QString &text, const QColor &color)
{
    m_statusLine->setForeColor(color);
    m_statusLine->setText(text);
}

void VeyraForm1::showPrintNotice(const QString &text, const QColor &color)
{
    m_printNotice->setForeColor(color);
    m_printNotice->setText(text);
}

void VeyraForm1::Command3_Click()
{
    if (QWidget *browser = m_host.browserWindowWidget())
        WindowFront::show(*browser);
}

void VeyraForm1::refreshFileList()
{
    m_fileList->refresh();
}

void VeyraForm1::printlog_Click()
{
    m_host.PrintSearchLog();
}

void VeyraForm1::showNameRows()
{
    m_importedNamesGrid->hide();
    m_progressBar->hide();
    m_keepCheckedButton->setText(QString::fromLatin1(KeepCheckedCaption));
    m_keepCheckedButton->setEnabled(false);
}

// Only letters, digits and a few signs can be typed into an imported name; backspace takes the last one away.
void VeyraForm1::MSFlexGrid2_KeyPress(int keyCode)
{
    const int row = m_importedNamesGrid->row();
    const int col = m_importedNamesGrid->col();
    const QString text = m_importedNamesGrid->textMatrix(row, col);
    if ((keyCode >= 47 && keyCode <= 57) || (keyCode >= 65 && keyCode <= 122))
        m_importedNamesGrid->setTextMatrix(row, col, text + QChar(keyCode));
    if (keyCode == 8 && !text.isEmpty())
        m_importedNamesGrid->setTextMatrix(row, col, text.chopped(1));
}
