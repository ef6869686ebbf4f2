#include "manifest/VeyraManifest.h"

#include "audit/FileHistory.h"
#include "engine/TableCache.h"
#include "manifest/ManifestFile.h"
#include "manifest/ManifestHost.h"
#include "manifest/ManifestMessage.h"
#include "manifest/ManifestScreening.h"
#include "platform/files/DataFolder.h"
#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/KeyboardReach.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Named.h"
#include "platform/widgets/ScrollSurface.h"
#include "platform/widgets/TextBox.h"
#include "platform/widgets/Twips.h"
#include "shared/VeyraVariables.h"

#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

namespace {

// Layout, in twips.
constexpr int Margin = 120;
constexpr int GridTop = 600;
constexpr int BottomHeight = 3300;
constexpr int ListWidth = 3600;
constexpr int ButtonWidth = 2040;
constexpr int ButtonHeight = 480;
// Every control in sight: the recipients box and the actions at the right, a few rows of the grid.
constexpr int FittingWidth = 12000;
constexpr int FittingHeight = GridTop + 1440 + BottomHeight;

struct GridColumn
{
    const char *header;
    int baseWidth;  // twips; 0: the width of the header text
    int extraWidth; // added to the header text's width
    int alignment;
};
constexpr GridColumn GridColumns[] = {
    {"  ", 0, 0, FlexGrid::CenterTop},
    {"Full Name", 3200, 0, FlexGrid::LeftTop},
    {"Sex", 0, 0, FlexGrid::CenterTop},
    {"Passport # & Issuing Country", 0, 400, FlexGrid::CenterTop},
    {"Visa # or ARC", 0, 400, FlexGrid::CenterTop},
    {"Date of Birth", 0, 0, FlexGrid::CenterTop},
    {"Veyra Status", 1000, 0, FlexGrid::CenterTop},
};
constexpr int ColumnPadding = 440;
constexpr int FullNameColumn = 1;
constexpr int PassportColumn = 3;
constexpr int BirthDateColumn = 5;
constexpr int StatusColumn = 6;

} // namespace

VeyraManifest::VeyraManifest(ManifestHost &host)
    : m_host(host)
    , m_vars(host.variables())
    , m_openManifest(host.variables())
{
    setObjectName(QStringLiteral("VeyraManifest"));
    setWindowTitle(QStringLiteral("Manifest"));
    connect(named(menuBar()->addAction(QStringLiteral("&Back")), "Back"), &QAction::triggered, this,
            &VeyraManifest::Back_Click);
    KeyboardReach::menuBar(*this);
    buildControls();
    createHeader1();
    const QWidget &main = m_host.mainWindowWidget();
    const QSize menu(0, menuBar()->sizeHint().height());
    WindowFit::fitToScreen(*this, main.size(), Twips::toPixels(QSize(FittingWidth, FittingHeight), *this) + menu);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &VeyraManifest::focusWindowChanged);
}

void VeyraManifest::buildControls()
{
    auto *scroll = new ScrollSurface(this);
    setCentralWidget(scroll);
    QWidget *surface = scroll->surface();
    scroll->setFittingSize(Twips::toPixels(QSize(FittingWidth, FittingHeight), *this));
    connect(scroll, &ScrollSurface::surfaceResized, this, &VeyraManifest::placeGrowingControls);

    Twips::place(named(new Label(QStringLiteral("Manifest #"), surface), "Label1"), Margin, Margin, 1140, 330);
    m_manifestNumber = named(new TextBox(surface), "Text1");
    Twips::place(m_manifestNumber, 1320, Margin, 2400, 330);
    Twips::place(named(new Label(QStringLiteral("Current Email"), surface), "Label2"), 4020, Margin, 1380, 330);
    m_recipients = named(new TextBox(surface), "Text2");
    Twips::place(m_recipients, 5460, Margin, 6000, 330);

    m_grid = named(new FlexGrid(surface), "MSFlexGrid1");
    m_driveList = named(new DriveList(surface), "Drive1");
    m_folderList = named(new FolderList(surface), "Dir1");
    m_fileList = named(new FileList(surface), "File1");
    m_fileList->setPattern(QString::fromLatin1(ManifestFile::Pattern));

    m_actions = named(new QGroupBox(QStringLiteral("Manifest Actions"), surface), "Frame1");
    m_importButton = named(new QPushButton(QStringLiteral("Import from Search"), m_actions), "Command2");
    Twips::place(m_importButton, Margin, 360, ButtonWidth, ButtonHeight);
    m_saveButton = named(new QPushButton(QStringLiteral("Save"), m_actions), "Command1");
    Twips::place(m_saveButton, 2280, 360, ButtonWidth, ButtonHeight);
    m_printButton = named(new QPushButton(QStringLiteral("Print"), m_actions), "Command3");
    Twips::place(m_printButton, Margin, 960, ButtonWidth, ButtonHeight);
    m_emailButton = named(new QPushButton(QString::fromLatin1(EmailCaption), m_actions), "Command4");
    Twips::place(m_emailButton, 2280, 960, ButtonWidth, ButtonHeight);
    m_saveButton->setEnabled(false);
    m_printButton->setEnabled(false);
    m_emailButton->setEnabled(false);

    m_printNotice = named(new Label(QString(), surface), "PrintNotice");
    m_printNotice->setWordWrap(true);
    m_printNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_footer = named(new TextBox(surface), "Footer_1");
    m_footer->hide();

    connect(m_manifestNumber, &QLineEdit::textChanged, this, &VeyraManifest::Text1_Change);
    connect(m_recipients, &QLineEdit::textChanged, this, &VeyraManifest::Text2_Change);
    connect(m_grid, &FlexGrid::keyPressed, this, &VeyraManifest::MSFlexGrid1_KeyPress);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &VeyraManifest::MSFlexGrid1_RowColChange);
    connect(m_folderList, &FolderList::pathChanged, this, &VeyraManifest::Dir1_Change);
    m_navigator = std::make_unique<FolderNavigator>(*this, m_driveList, m_folderList, m_fileList, true);
    connect(m_driveList, &DriveList::driveChanged, this, &VeyraManifest::Drive1_Change);
    connect(m_fileList, &FileList::fileClicked, this, &VeyraManifest::File1_Click);
    connect(m_saveButton, &QPushButton::clicked, this, &VeyraManifest::Command1_Click);
    connect(m_importButton, &QPushButton::clicked, this, &VeyraManifest::Command2_Click);
    connect(m_printButton, &QPushButton::clicked, this, &VeyraManifest::Command3_Click);
    connect(m_emailButton, &QPushButton::clicked, this, &VeyraManifest::Command4_Click);
}

void VeyraManifest::placeGrowingControls(const QSize &size)
{
    const int width = std::max(Twips::fromPixelsX(size.width(), *this), FittingWidth);
    const int height = std::max(Twips::fromPixelsY(size.height(), *this), FittingHeight);
    const int bottom = height - BottomHeight;
    Twips::place(m_grid, Margin, GridTop, width - 2 * Margin, bottom - GridTop - Margin);
    Twips::place(m_driveList, Margin, bottom, ListWidth, 330);
    Twips::place(m_folderList, Margin, bottom + 420, ListWidth, BottomHeight - 420 - Margin);
    Twips::place(m_fileList, 2 * Margin + ListWidth, bottom, ListWidth, BottomHeight - Margin);
    const int actionsLeft = 3 * Margin + 2 * ListWidth;
    Twips::place(m_actions, actionsLeft, bottom, 2 * ButtonWidth + 3 * Margin, 1560);
    Twips::place(m_printNotice, actionsLeft, bottom + 1560 + Margin, width - actionsLeft - Margin,
                 BottomHeight - 1560 - 2 * Margin);
}

void VeyraManifest::showPrintNotice(const QString &text, const QColor &color)
{
    m_printNotice->setForeColor(color);
    m_printNotice->setText(text);
    // Painted at once: the printing that follows holds the window's thread.
    m_printNotice->repaint();
}

bool VeyraManifest::setFolder(const QString &folder, QString *error)
{
    return m_folderList->changePath(folder, error);
}

void VeyraManifest::createHeader1()
{
    m_grid->clear();
    m_grid->setRows(ManifestFile::PersonRows + 1);
    m_grid->setFixedRows(1);
    m_grid->setFixedCols(0);
    m_grid->setCols(7);
    for (int c = 0; c < 7; ++c) {
        const GridColumn &column = GridColumns[c];
        const QString header = QString::fromLatin1(column.header);
        m_grid->setColAlignment(c, column.alignment);
        m_grid->setTextMatrix(0, c, header);
        const int base = column.baseWidth > 0 ? column.baseWidth : Twips::textWidth(*this, header) + column.extraWidth;
        m_grid->setColWidth(c, base + ColumnPadding);
    }
    for (int row = 1; row <= ManifestFile::PersonRows; ++row)
        m_grid->setTextMatrix(row, 0, QString::number(row));
}

void VeyraManifest::focusWindowChanged(QWindow *window)
{
    if (!window)
        return; // another application has the focus; coming back from it is no change of window
    const bool cameFromHere = m_focusWasHere;
    m_focusWasHere = ownsWindow(window);
    if (window == windowHandle() && !cameFromHere)
        Form_Activate();
}

bool VeyraManifest::ownsWindow(const QWindow *window) const
{
    if (window && (window->type() == Qt::Popup || window->type() == Qt::ToolTip))
        return true;
    for (; window; window = window->transientParent()) {
        if (window == windowHandle())
            return true;
    }
    return false;
}

void VeyraManifest::Form_Activate()
{
    setGeometry(m_host.mainWindowWidget().geometry());
    if (m_folderList->path() != m_vars.ManifestFolder && !setFolder(m_vars.ManifestFolder)) {
        // The remembered folder is gone: stay where the list is, or start in the data folder.
        if (m_folderList->path().isEmpty())
            setFolder(m_vars.DataFolder);
        m_vars.ManifestFolder = m_folderList->path();
    }
    createHeader1();
    m_recipients->setText(m_host.settingsEmailAddress());
    show();
    m_fileList->refresh();
    m_emailButton->setText(QString::fromLatin1(EmailCaption));
}

void VeyraManifest::Form_Unload()
{
    // The open manifest keeps its own name all along: there is nothing to give back, and the paths stay.
}

void VeyraManifest::closeEvent(QCloseEvent *event)
{
    event->accept();
    Back_Click();
}

void VeyraManifest::Back_Click()
{
    m_host.mainWindowWidget().show();
    m_host.unloadManifestWindow();
}

void VeyraManifest::Dir1_Change()
{
    const QString folder = m_folderList->path();
    m_navigator->followFolder();
    m_saveButton->setEnabled(false);
    createHeader1();
    m_openManifest.close();
    m_vars.ManifestFolder = folder;
    m_host.saveFolderConfig();
}

void VeyraManifest::Drive1_Change(const QString &drive)
{
    if (!m_navigator->changeDrive(drive))
        return;
    m_saveButton->setEnabled(false);
    createHeader1();
    m_openManifest.close();
}

void VeyraManifest::File1_Click(const QString &fileName)
{
    createHeader1();
    m_openManifest.close();
    const QString folder = m_folderList->path();
    if (!QFileInfo(DataFolder::filePath(folder, fileName)).isFile()) {
        m_fileList->refresh();
        showMessage(QStringLiteral("The manifest %1 cannot be opened.\nThe file is no longer there.").arg(fileName));
        return;
    }
    m_openManifest.open(folder, fileName);
    m_manifestNumber->setText(ManifestFile::manifestNumber(fileName));
    LoadManifest();
    m_printButton->setEnabled(true);
    m_emailButton->setEnabled(true);
}

void VeyraManifest::LoadManifest()
{
    // A table of its own, so that a manifest never pushes a parsed watch list out of the search's cache.
    TableCache cache(1);
    const QString path = m_openManifest.path();
    if (path.isEmpty())
        return;
    QByteArray sha256;
    ManifestFile::load(
        cache, path, [this](int row, int col, const QString &text) { m_grid->setTextMatrix(row, col, text); }, &sha256);
    m_openManifest.read(sha256.isEmpty() ? KnownVersion::of(path).sha256() : sha256);
}

QList<QStringList> VeyraManifest::personRows() const
{
    QList<QStringList> rows;
    for (int r = 1; r <= ManifestFile::PersonRows; ++r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells.append(m_grid->textMatrix(r, c));
        rows.append(cells);
    }
    return rows;
}

void VeyraManifest::Command1_Click()
{
    const QString fileName = ManifestFile::fileName(m_manifestNumber->text());
    const QString problem = ManifestFile::fileNameProblem(fileName);
    if (!problem.isEmpty()) {
        showMessage(QStringLiteral("The manifest cannot be saved as \"%1\".\n%2").arg(fileName, problem));
        return;
    }
    QList<QStringList> persons;
    for (const QStringList &row : personRows()) {
        if (!row[FullNameColumn].isEmpty())
            persons.append(row.mid(1));
    }
    const QString path = DataFolder::filePath(m_vars.ManifestFolder, fileName);
    // Another copy of the program may have saved this manifest since this window read it: theirs is not
    // overwritten unasked.
    if (m_openManifest.changedBySomeoneElse(path)) {
        const QString question =
            KnownVersion::saveOverQuestion(fileName, m_openManifest.version().changedAt(), QDate::currentDate());
        if (!MessageBox::askYesNo(this, question))
            return;
    }
    // The new file is written first: until it is whole, the opened manifest stays as it is.
    QString error;
    if (!ManifestFile::write(path, persons, FileHistory(m_vars.DataFolder), &error)) {
        showMessage(
            QStringLiteral("The manifest could not be saved as %1.\n%2\nNo file was changed.").arg(fileName, error));
        return;
    }
    if (!m_openManifest.saved(path, ManifestFile::format(persons), FileHistory(m_vars.DataFolder), &error))
        showMessage(error);
    m_fileList->refresh();
    m_saveButton->setEnabled(false);
    m_printButton->setEnabled(true);
    m_emailButton->setEnabled(true);
}

void VeyraManifest::Command2_Click()
{
    const QList<ManifestScreening::SearchedRow> searched = m_host.searchedRows();
    QStringList fullNames;
    for (int r = 1; r <= ManifestFile::PersonRows; ++r)
        fullNames.append(m_grid->textMatrix(r, FullNameColumn));

    const ManifestScreening::Result result = ManifestScreening::place(fullNames, searched);
    for (const ManifestScreening::Placement &person : result.placements) {
        m_grid->setTextMatrix(person.row, FullNameColumn, person.fullName);
        m_grid->setTextMatrix(person.row, BirthDateColumn, person.dateOfBirth);
        m_grid->setTextMatrix(person.row, PassportColumn, person.passport);
        m_grid->setTextMatrix(person.row, StatusColumn, person.status);
        // Beside the row's number, never in the file or the printout: the status stays the search's.
        const QIcon mark =
            person.advisory.isEmpty() ? QIcon() : style()->standardIcon(QStyle::SP_MessageBoxInformation);
        m_grid->setCellMark(person.row, 0, mark, person.advisory);
    }
    if (result.leftOut > 0) {
        showMessage(QStringLiteral("The manifest holds %1 persons. %2 more did not fit and were not added.\n"
                                   "Save this manifest and start another one for them.")
                        .arg(ManifestFile::PersonRows)
                        .arg(result.leftOut));
    }
}

QString VeyraManifest::manifestNumber() const
{
    return m_manifestNumber->text();
}

void VeyraManifest::Command3_Click()
{
    m_host.PrintManifest();
}

void VeyraManifest::MakeMessage()
{
    m_vars.MessageBody = ManifestMessage::build(
        {m_vars.CompanyName, m_manifestNumber->text(), personRows(), m_vars.NoFlyListName, m_vars.SelecteeListName});
}

void VeyraManifest::Command4_Click()
{
    MakeMessage();
    QString recipients = m_recipients->text();
    QString subject = QStringLiteral("Manifest #") + m_manifestNumber->text();
    QString blindCopies;
    m_emailButton->setEnabled(false);
    // The user name goes in as the sender too: once its default is applied, the sender is the default account.
    m_host.SendMail(m_vars.SmtpServer, m_vars.SmtpUser, m_vars.SmtpPassword, m_vars.SmtpPort, m_vars.SmtpUser,
                    recipients, blindCopies, subject, m_vars.MessageBody);
    m_emailButton->setEnabled(true);
    if (m_vars.MailSentFlag == QLatin1String("Yes"))
        m_emailButton->setText(QString::fromLatin1(SentCaption));
}

void VeyraManifest::Text1_Change()
{
    m_saveButton->setEnabled(true);
    m_printButton->setEnabled(true);
    m_emailButton->setEnabled(true);
}

void VeyraManifest::Text2_Change()
{
    m_emailButton->setText(QString::fromLatin1(EmailCaption));
}

// The grid has no cell editor: typed keys edit the current cell directly, letters in capitals.
void VeyraManifest::MSFlexGrid1_KeyPress(int keyCode)
{
    const int row = m_grid->row();
    const int col = m_grid->col();
    const QString text = m_grid->textMatrix(row, col);
    // The advisory was about the name imported; an edited name is another person's.
    if (col == FullNameColumn && m_grid->cellMarked(row, 0))
        m_grid->setCellMark(row, 0, QIcon(), QString());
    if (keyCode == 8) {
        if (!text.isEmpty())
            m_grid->setTextMatrix(row, col, text.chopped(1));
        return;
    }
    const int code = keyCode >= 'a' && keyCode <= 'z' ? keyCode - ('a' - 'A') : keyCode;
    m_grid->setTextMatrix(row, col, text + QChar(code));
}

void VeyraManifest::MSFlexGrid1_RowColChange()
{
    if (!m_manifestNumber->text().isEmpty())
        m_saveButton->setEnabled(true);
}

void VeyraManifest::showMessage(const QString &text)
{
    // Parented here, so that closing the box brings this window back without resetting it.
    MessageBox::show(this, text);
}
