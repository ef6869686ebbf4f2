#include "app/VeyraForm1.h"

#include "app/FolderConfig.h"
#include "app/MainWindowHost.h"
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/BusyWait.h"
#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/FolderNavigator.h"
#include "platform/widgets/KeyboardReach.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Named.h"
#include "platform/widgets/ScrollSurface.h"
#include "platform/widgets/TextBox.h"
#include "platform/widgets/Twips.h"
#include "search/NearMissIndexes.h"
#include "search/WatchListFile.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

// Layout of the window, in twips.
constexpr int Margin = 120;
constexpr int ListsWidth = 3600;
constexpr int RowsLeft = Margin + ListsWidth + 240;
constexpr int RowsTop = 480;
constexpr int RowPitch = 360;
constexpr int RowHeight = 330;
constexpr int ResultGridTop = 6660;
constexpr int MinimumResultGridHeight = 1440;
constexpr int NearMissMarkWidth = 270;
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
// The imported names' four columns (3500, 3500, 1750 and 2500 twips) beside the grid's scroll bar and frame.
constexpr int ImportedNamesWidth = 11250 + 360;
// Every control in sight: the near-miss marks beside the Keep boxes, the imported names' columns, a few rows of
// results, the identity line.
constexpr int FittingWidth =
    std::max(KeepColumn.left + KeepColumn.width + NearMissMarkWidth, RowsLeft + ImportedNamesWidth) + Margin;
constexpr int FittingHeight = ResultGridTop + MinimumResultGridHeight + RowHeight + Margin;
constexpr int WindowWidth = FittingWidth;

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

VeyraForm1::VeyraForm1(MainWindowHost &host)
    : m_host(host)
    , m_vars(host.variables())
    , m_nearMissIndexes(std::make_unique<NearMissIndexes>())
{
    setObjectName(QStringLiteral("VeyraForm1"));
    setWindowTitle(QStringLiteral("VeyraCheck     v3.1"));
    buildMenus();
    buildControls();
    const QSize menu(0, menuBar()->sizeHint().height());
    WindowFit::fitToScreen(*this, Twips::toPixels(QSize(WindowWidth, WindowHeight), *this) + menu,
                           Twips::toPixels(QSize(FittingWidth, FittingHeight), *this) + menu);
}

VeyraForm1::~VeyraForm1() = default;

void VeyraForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto action = [bar](const char *name, const char *caption) {
        return named(bar->addAction(QString::fromLatin1(caption)), QString::fromLatin1(name));
    };
    // The blank entries keep the menus apart, as the operators are used to.
    auto spacer = [bar] { bar->addAction(QString())->setEnabled(false); };

    // Every caption carries a mnemonic, so that Alt+letter reaches it.
    connect(action("Settings", "&Settings"), &QAction::triggered, this, &VeyraForm1::Settings_Click);
    spacer();
    connect(action("ManifestOpen", "&Manifest"), &QAction::triggered, this, &VeyraForm1::ManifestOpen_Click);
    spacer();
    QMenu *save = named(bar->addMenu(QStringLiteral("Sa&ve Names")), QStringLiteral("SaveNames"));
    spacer();
    QMenu *import = named(bar->addMenu(QStringLiteral("&Import Names")), QStringLiteral("ImportNames"));
    spacer();
    buildNameListMenus(save, import);
    connect(action("printlog", "&Print Log"), &QAction::triggered, this, &VeyraForm1::printlog_Click);
    KeyboardReach::menuBar(*this);
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
    // One letter per kind: pressing it again steps to the kind's next slot.
    const Entries kinds[] = {{Kind::Crew, "Crew", "importcrew", "&Crew #%1"},
                             {Kind::Employee, "Employee", "importemployee", "&Employees #%1"},
                             {Kind::Mechanic, "Mechanic", "importmechanic", "&Mechanics #%1"},
                             {Kind::Passenger, "Passenger", "importpassenger", "&Passengers #%1"}};
    for (const Entries &entries : kinds) {
        if (entries.kind != Kind::Crew) {
            save->addAction(QString())->setEnabled(false);
            import->addAction(QString())->setEnabled(false);
        }
        for (int n = 1; n <= NameListFile::Slots; ++n) {
            QString caption = QString::fromLatin1(entries.caption).arg(n);
            // The operators' menu has always read so.
            const QString saveCaption =
                entries.kind == Kind::Passenger && n == 3 ? QStringLiteral("&Passengesr #3") : caption;
            connect(named(save->addAction(saveCaption), indexed(entries.saveName, n)), &QAction::triggered, this,
                    [this, kind = entries.kind, n] { saveNameList(kind, n); });
            connect(named(import->addAction(caption), indexed(entries.importName, n)), &QAction::triggered, this,
                    [this, kind = entries.kind, n] { importNameList(kind, n); });
        }
    }
    import->addAction(QString())->setEnabled(false);
    connect(named(import->addAction(QStringLiteral("&From Excel")), QStringLiteral("FromExcel")), &QAction::triggered,
            this, &VeyraForm1::FromExcel_Click);
}

void VeyraForm1::buildControls()
{
    auto *scroll = new ScrollSurface(this);
    setCentralWidget(scroll);
    QWidget *surface = scroll->surface();
    scroll->setFittingSize(Twips::toPixels(QSize(FittingWidth, FittingHeight), *this));
    connect(scroll, &ScrollSurface::surfaceResized, this, &VeyraForm1::placeGrowingControls);

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
    // Two lines each: a refused spreadsheet's reason, or a notice naming a PDF's path, is read whole.
    m_statusLine = named(new Label(QString(), surface), QStringLiteral("Label3"));
    m_statusLine->setWordWrap(true);
    m_statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(m_statusLine, RowsLeft, 4800, RowsWidth, 2 * RowHeight);
    m_printNotice = named(new Label(QString(), surface), QStringLiteral("PrintNotice"));
    m_printNotice->setWordWrap(true);
    m_printNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(m_printNotice, RowsLeft, 5520, RowsWidth, 2 * RowHeight);
    m_listIdentity = named(new Label(QString(), surface), QStringLiteral("ListIdentity"));
    m_busyLine = new BusyLine(surface);
    m_busyLine->setAutoFillBackground(true);
    Twips::place(m_busyLine, RowsLeft, 4740, RowsWidth, 450);

    m_importedNamesGrid = named(new FlexGrid(surface), QStringLiteral("MSFlexGrid2"));
    m_importedNamesGrid->hide();
    m_resultGrid = named(new FlexGrid(surface), QStringLiteral("MSFlexGrid1"));
    buildNearMissMarks(surface, KeepColumn.left + KeepColumn.width, RowsTop, RowPitch, RowHeight);

    setTabOrderFromRows();

    connect(m_folderList, &FolderList::pathChanged, this, &VeyraForm1::Dir1_Change);
    m_navigator = std::make_unique<FolderNavigator>(*this, m_driveList, m_folderList, m_fileList, true);
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

// The grids take what the window gives beyond its fitting size; the rows and lists keep theirs.
void VeyraForm1::placeGrowingControls(const QSize &size)
{
    const int width = std::max(Twips::fromPixelsX(size.width(), *this), FittingWidth) - 2 * Margin;
    // The list identity takes one line at the bottom, below the result grid.
    const int height =
        std::max(Twips::fromPixelsY(size.height(), *this), FittingHeight) - ResultGridTop - Margin - RowHeight;
    Twips::place(m_resultGrid, Margin, ResultGridTop, width, height);
    Twips::place(m_listIdentity, Margin, ResultGridTop + height + 30, width, RowHeight - 30);
    Twips::place(m_importedNamesGrid, RowsLeft, Margin, width + Margin - RowsLeft, RowsTop + 10 * RowPitch - Margin);
}

void VeyraForm1::createHeader()
{
    clearNearMisses();
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
