#include "RunningApp.h"
#include "TestSupport.h"
#include "engine/TableCache.h"
#include "lists/VeyraExcelImport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"
#include "settings/VeyraSettings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>

// What an operator meets at the desk beyond the search itself: the keyboard reaching every menu entry and
// closing windows, and windows that fit the screen and keep every control in sight.
class TestOperatorDesk : public QObject
{
    Q_OBJECT

private slots:
    void keysReachMenuEntries_data();
    void keysReachMenuEntries();
    void escapeClosesSettingsAndPanel();
    void enterClicksTheDefaultButton();
    void windowsFitTheScreen_data();
    void windowsFitTheScreen();
    void enlargingGrowsTheGrids();
    void busyLineWhileASpreadsheetIsRead_data();
    void busyLineWhileASpreadsheetIsRead();
    void listOpeningSaysWhatArrived();
    void cancellingAListOpenSelectsNothing();
    void browserThatCannotStartLeavesTheProgramWorking_data();
    void browserThatCannotStartLeavesTheProgramWorking();
    void doubleClickOpensAFolderOnce_data();
    void doubleClickOpensAFolderOnce();
    void importListsNoWatchLists();
    void searchedLongNameShowsItsStart();
};

namespace {

QWidget *windowNamed(RunningApp &app, const QString &name)
{
    if (name == "VeyraForm1")
        return &app.window();
    if (name == "VeyraManifest")
        return &app.module.manifestWindow();
    if (name == "VeyraSettings")
        return &app.module.settingsWindow();
    if (name == "VeyraExcelImport")
        return &app.module.excelImportWindow();
    return app.window().findChild<QWidget *>(name);
}

// Presses keys as the operator would, each to the widget that has the keyboard: an open menu, else the focus.
void press(QWidget &window, const QString &keys)
{
    for (const QString &key : keys.split(' ')) {
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        const bool alt = key.startsWith("Alt+");
        const QString name = alt ? key.mid(4) : key;
        const Qt::KeyboardModifiers modifiers = alt ? Qt::AltModifier : Qt::NoModifier;
        if (name == "Alt") {
            QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
            QTest::keyRelease(target, Qt::Key_Alt, Qt::NoModifier);
        } else if (name == "F10") {
            QTest::keyClick(target, Qt::Key_F10, modifiers);
        } else if (name == "Return") {
            QTest::keyClick(target, Qt::Key_Return, modifiers);
        } else if (name == "Right") {
            QTest::keyClick(target, Qt::Key_Right, modifiers);
        } else {
            QTest::keyClick(target, Qt::Key(name.at(0).toUpper().unicode()), modifiers);
        }
    }
}

// The controls of a window that are shown: named widgets, apart from Qt's own parts and the scroll area.
QList<QWidget *> controls(QWidget &window)
{
    QList<QWidget *> found;
    for (QWidget *child : window.findChildren<QWidget *>()) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || qobject_cast<QScrollArea *>(child) || child->isWindow() ||
            child->window() != &window || !child->isVisibleTo(&window))
            continue;
        found.append(child);
    }
    return found;
}

// Whether all of a control is in sight: no parent cuts any of it off.
bool inSight(QWidget &control)
{
    QRect seen(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    for (QWidget *parent = control.parentWidget(); parent && parent != control.window();
         parent = parent->parentWidget())
        seen &= QRect(parent->mapTo(control.window(), QPoint(0, 0)), parent->size());
    seen &= control.window()->rect();
    return seen.size() == control.size();
}

} // namespace

void TestOperatorDesk::keysReachMenuEntries_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("action");
    newRow("Alt+S: Settings", "Alt+S", "Settings");
    newRow("Alt+M: Manifest", "Alt+M", "ManifestOpen");
    newRow("Alt+P: Print Log", "Alt+P", "printlog");
    newRow("F10 then Enter: the first entry", "F10 Return", "Settings");
    newRow("Alt alone then Enter", "Alt Return", "Settings");
    newRow("Save Names opens on Crew #1", "Alt+V Return", "Crew_1");
    newRow("Save Names, the kind's letter steps on", "Alt+V C C Return", "Crew_3");
    newRow("Save Names, Passengesr #3", "Alt+V P P P Return", "Passenger_3");
    newRow("Import Names, Mechanics #1", "Alt+I M Return", "importmechanic_1");
    newRow("Import Names, From Excel", "Alt+I F", "FromExcel");
    newRow("Manifest window, Back", "VeyraManifest Alt+B", "Back");
}

void TestOperatorDesk::keysReachMenuEntries()
{
    QFETCH(QString, keys);
    QFETCH(QString, action);
    RunningApp app;
    QWidget *window = &app.window();
    if (keys.startsWith("Veyra")) {
        window = windowNamed(app, keys.section(' ', 0, 0));
        keys = keys.section(' ', 1);
        window->show();
    }
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // Whether the keys reach the entry, not what the entry then does.
    auto *entry = window->findChild<QAction *>(action);
    QVERIFY(entry);
    for (QAction *other : window->findChildren<QAction *>())
        QObject::disconnect(other, &QAction::triggered, nullptr, nullptr);
    QSignalSpy triggered(entry, &QAction::triggered);
    press(*window, keys);
    QCOMPARE(triggered.count(), 1);
}

void TestOperatorDesk::escapeClosesSettingsAndPanel()
{
    RunningApp app;
    for (const char *name : {"VeyraSettings", "PossibleMatches", "VeyraExcelImport"}) {
        QWidget *window = windowNamed(app, name);
        QVERIFY2(window, name);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
        QVERIFY2(!window->isVisible(), name);
    }
}

// Enter in a settings field saves; Enter in the import window opens the file clicked.
void TestOperatorDesk::enterClicksTheDefaultButton()
{
    RunningApp app;
    VeyraSettings &settings = app.module.settingsWindow();
    settings.show();
    settings.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    auto *save = settings.findChild<QPushButton *>("Command1");
    QObject::disconnect(save, &QPushButton::clicked, nullptr, nullptr);
    QSignalSpy saved(save, &QPushButton::clicked);
    auto *company = settings.findChild<QWidget *>("Settings_0");
    company->setFocus();
    QTest::keyClick(company, Qt::Key_Return);
    QCOMPARE(saved.count(), 1);

    // In the import window Enter on a folder opens the folder; on a file it opens the file.
    QVERIFY(QDir(app.data()).mkpath("Sheets"));
    TestSupport::writeFile(app.data("Sheets/people.csv"), "ROE,RICHARD\r\n");
    app.window().FromExcel_Click();
    VeyraExcelImport &import = app.module.excelImportWindow();
    QVERIFY(QTest::qWaitForWindowActive(&import));
    auto *folders = import.findChild<FolderList *>("Dir1");
    folders->setPath(app.data());
    folders->setFocus();
    folders->setCurrentItem(folders->findItems("Sheets", Qt::MatchEndsWith).value(0));
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(folders->path(), QDir::toNativeSeparators(app.data("Sheets")));
    QVERIFY(import.isVisible());
    auto *files = import.findChild<FileList *>("File1");
    files->setFocus();
    files->setCurrentItem(files->findItems("people.csv", Qt::MatchExactly).value(0));
    QTest::keyClick(files, Qt::Key_Return);
    QVERIFY(!app.module.existingExcelImportWindow());
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid2")->textMatrix(0, 0), QStringLiteral("ROE"));
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("1 name imported"));
}

void TestOperatorDesk::windowsFitTheScreen_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"VeyraForm1", "VeyraManifest", "VeyraSettings", "VeyraExcelImport", "PossibleMatches"})
        newRow(name, name);
}

// Opened, the window lies within the screen's available area; made as small as it goes, every control is in
// sight, or, on a screen smaller than that (a large scale factor), reached by scrolling.
void TestOperatorDesk::windowsFitTheScreen()
{
    QFETCH(QString, window);
    RunningApp app;
    QWidget *shown = windowNamed(app, window);
    QVERIFY(shown);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QRect available = shown->screen()->availableGeometry();
    QVERIFY2(shown->frameGeometry().width() <= available.width(), qPrintable(QString::number(shown->width())));
    QVERIFY2(shown->frameGeometry().height() <= available.height(), qPrintable(QString::number(shown->height())));

    shown->resize(1, 1);
    QCoreApplication::processEvents();
    QVERIFY(shown->width() > 1 && shown->height() > 1);
    auto *scroll = shown->findChild<QScrollArea *>("Surface");
    QStringList cut;
    for (QWidget *control : controls(*shown)) {
        // A grid larger than the screen is reached when its top left corner is.
        const bool larger = scroll && (control->width() > scroll->viewport()->width() ||
                                       control->height() > scroll->viewport()->height());
        if (larger) {
            const QPoint corner = control->mapTo(scroll->widget(), QPoint(0, 0));
            scroll->ensureVisible(corner.x(), corner.y(), 2, 2);
            if (!scroll->viewport()->rect().contains(control->mapTo(scroll->viewport(), QPoint(0, 0))))
                cut.append(control->objectName());
            continue;
        }
        // The whole control, not only a list's current entry as ensureWidgetVisible() would.
        if (scroll && !inSight(*control)) {
            const QPoint centre = control->mapTo(scroll->widget(), control->rect().center());
            scroll->ensureVisible(centre.x(), centre.y(), control->width() / 2 + 2, control->height() / 2 + 2);
        }
        if (!inSight(*control) || control->height() < control->minimumSizeHint().height())
            cut.append(control->objectName());
    }
    QCOMPARE(cut.join(" "), QString());
    QVERIFY(controls(*shown).size() >= 3);
    // Where the screen holds the window's least size, nothing needs scrolling there.
    const QSize fitting = scroll ? scroll->widget()->minimumSize() : shown->minimumSizeHint();
    if (fitting.width() + 64 < available.width() && fitting.height() + 96 < available.height()) {
        QVERIFY(!scroll || scroll->horizontalScrollBar()->maximum() == 0);
        QVERIFY(!scroll || scroll->verticalScrollBar()->maximum() == 0);
    }
}

void TestOperatorDesk::enlargingGrowsTheGrids()
{
    RunningApp app;
    VeyraForm1 &window = app.window();
    window.resize(window.minimumSize());
    QCoreApplication::processEvents();
    if (window.minimumSize().width() + 300 > window.screen()->availableGeometry().width())
        QSKIP("The screen is too small to enlarge the window beyond its least size.");
    auto *results = app.find<FlexGrid>("MSFlexGrid1");
    auto *names = app.find<FlexGrid>("MSFlexGrid2");
    const QSize before = results->size();
    const int namesBefore = names->width();
    window.resize(window.size() + QSize(300, 200));
    QCoreApplication::processEvents();
    QCOMPARE(results->size(), before + QSize(300, 200));
    QCOMPARE(names->width(), namesBefore + 300);
}

void TestOperatorDesk::busyLineWhileASpreadsheetIsRead_data()
{
    QTest::addColumn<bool>("cancel");
    newRow("the read ends: the names arrive and are counted", false);
    newRow("cancelled: the reader ends, the window stays", true);
}

// A stand-in reader that waits for the test's word: while it works the window says what it reads, paints, and
// offers Cancel; afterwards a line says how many names arrived.
void TestOperatorDesk::busyLineWhileASpreadsheetIsRead()
{
    QFETCH(bool, cancel);
    QTemporaryDir data;
    std::atomic<bool> go = false;
    std::atomic<bool> reading = false;
    TestSupport::writeFile(data.filePath("people.xlsx"), "stand-in");
    RunningApp app(data.path());
    app.module.setSpreadsheetReader([&](const QString &, const std::atomic<bool> *cancelled) {
        reading = true;
        while (!go && !*cancelled)
            QThread::msleep(2);
        reading = false;
        SpreadsheetReader::Result read;
        read.ok = !*cancelled;
        read.rows = {{"ROE", "RICHARD"}, {"DOE", "JANE"}};
        read.sheet = "Crew";
        return read;
    });
    app.window().FromExcel_Click();
    VeyraExcelImport &import = app.module.excelImportWindow();
    import.File1_Click("people.xlsx");

    QString shown;
    bool waitCursor = false;
    bool cancelOffered = false;
    bool readerRan = false;
    QTimer::singleShot(400, &import, [&] {
        auto *line = import.findChild<QWidget *>("BusyLine");
        shown = line && line->isVisible() ? import.findChild<QLabel *>("BusyText")->text() : QString();
        waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto *stop = import.findChild<QPushButton *>("BusyCancel");
        cancelOffered = stop && stop->isVisible();
        readerRan = reading;
        // Clicks elsewhere are not taken while the read runs.
        QTest::mouseClick(import.findChild<QPushButton *>("Command1_0"), Qt::LeftButton);
        if (cancel)
            QTest::mouseClick(stop, Qt::LeftButton);
        else
            go = true;
    });
    QTest::mouseClick(import.findChild<QPushButton *>("Command1_1"), Qt::LeftButton);

    QCOMPARE(shown, QStringLiteral("Reading people.xlsx\u2026"));
    QVERIFY(waitCursor);
    QVERIFY(cancelOffered);
    QVERIFY(readerRan);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!import.findChild<QWidget *>("BusyLine")->isVisible());
    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    if (cancel) {
        QVERIFY(import.isVisible());
        QVERIFY(import.findChild<QPushButton *>("Command1_1")->isEnabled());
        QCOMPARE(grid->textMatrix(0, 0), QString());
        QCOMPARE(app.find<Label>("Label3")->text(), QString());
        QTRY_VERIFY(!reading);
    } else {
        QVERIFY(!app.module.existingExcelImportWindow());
        QCOMPARE(grid->textMatrix(1, 1), QStringLiteral("JANE"));
        QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("2 names imported from the sheet \"Crew\""));
    }
}

// A list is read off the window's thread; what arrived is named on the identity line, counted in groups.
void TestOperatorDesk::listOpeningSaysWhatArrived()
{
    QTemporaryDir data;
    QByteArray list = "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n";
    for (int i = 0; i < 1234; ++i)
        list += QByteArray::number(i) + ",,ROE" + QByteArray::number(i) + ",RICHARD,,P,,,,,\r\n";
    TestSupport::writeFile(data.filePath("Veyra_No_Fly.csv"), list);
    RunningApp app(data.path());
    app.window().File1_Click("Veyra_No_Fly.csv");
    QVERIFY(app.find<Label>("ListIdentity")->text().startsWith("Veyra_No_Fly.csv   1,234 records   "));
    QVERIFY(app.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

// The list's reading is held back until the test lets it go: a stand-in for a list that takes long to read.
void TestOperatorDesk::cancellingAListOpenSelectsNothing()
{
    QTemporaryDir data;
    TestSupport::writeFile(data.filePath("Veyra_No_Fly.csv"), "SID,LASTNAME\r\n1,ROE\r\n");
    // Declared before the program, so that it outlives the reading given up, which the program waits for.
    std::atomic<bool> letGo = false;
    RunningApp app(data.path());
    app.module.tableCache().setBeforeParse([&letGo](const QString &) {
        while (!letGo)
            QThread::msleep(2);
    });

    QString shown;
    QTimer::singleShot(400, &app.window(), [&] {
        auto *line = app.window().findChild<QWidget *>("BusyLine");
        shown = line && line->isVisible() ? app.window().findChild<QLabel *>("BusyText")->text() : QString();
        QTest::mouseClick(app.find<QPushButton>("BusyCancel"), Qt::LeftButton);
    });
    app.window().File1_Click("Veyra_No_Fly.csv");
    letGo = true; // the reading given up ends on its own; the program waits for it before it ends
    QCOMPARE(shown, QStringLiteral("Reading Veyra_No_Fly.csv\u2026"));
    QVERIFY(!app.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(app.module.SelectedListPath.isEmpty());
    QCOMPARE(app.find<Label>("Label3")->text(),
             QStringLiteral("Opening Veyra_No_Fly.csv was cancelled; no list is selected."));
    QCOMPARE(app.find<Label>("ListIdentity")->text(), QString());
}

void TestOperatorDesk::browserThatCannotStartLeavesTheProgramWorking_data()
{
    QTest::addColumn<QByteArray>("engine");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("said");
    newRow("the engine's helper is missing", QByteArray("/nonexistent/QtWebEngineProcess"), "",
           "The browser cannot be started: its web engine");
    newRow("the browser's library is missing", QByteArray(), "/nonexistent/veyra_browser",
           "The browser cannot be started.\n");
}

// "Download Database" with a browser that cannot start: a message saying why, and the rows typed are still there.
void TestOperatorDesk::browserThatCannotStartLeavesTheProgramWorking()
{
    QFETCH(QByteArray, engine);
    QFETCH(QString, library);
    QFETCH(QString, said);
    RunningApp app;
    const QByteArray before = qgetenv("QTWEBENGINEPROCESS_PATH");
    if (!engine.isEmpty())
        qputenv("QTWEBENGINEPROCESS_PATH", engine);
    app.module.browserLibrary = library;
    app.find<QLineEdit>("Text1_0")->setText("ROE");
    TestSupport::MessageBoxAnswerer answerer;
    QTest::mouseClick(app.find<QPushButton>("Command3"), Qt::LeftButton);
    if (before.isEmpty())
        qunsetenv("QTWEBENGINEPROCESS_PATH");
    else
        qputenv("QTWEBENGINEPROCESS_PATH", before);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts.first().startsWith(said), qPrintable(answerer.texts.first()));
    QVERIFY(answerer.texts.first().contains("Everything else works as before."));
    QVERIFY(!app.module.existingBrowserWindow());
    QVERIFY(app.window().isVisible());
    QCOMPARE(app.find<QLineEdit>("Text1_0")->text(), QStringLiteral("ROE"));
}

void TestOperatorDesk::doubleClickOpensAFolderOnce_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"VeyraForm1", "VeyraManifest", "VeyraExcelImport"})
        newRow(name, name);
}

// As the mouse sends it, a click and then a double-click: the folder opens once, and the window lives on.
void TestOperatorDesk::doubleClickOpensAFolderOnce()
{
    QFETCH(QString, window);
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkpath("Lists/Inner"));
    RunningApp app(data.path());
    QWidget *shown = windowNamed(app, window);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    auto *folders = shown->findChild<FolderList *>("Dir1");
    QVERIFY(folders);
    folders->setPath(data.path());
    const QList<QListWidgetItem *> items = folders->findItems("Lists", Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    const QPoint at = folders->visualItemRect(items.first()).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(folders->path(), QDir::toNativeSeparators(data.filePath("Lists")));
    QCOMPARE(folders->findItems("Inner", Qt::MatchEndsWith).size(), 1);
    QVERIFY(shown->isVisible());
}

void TestOperatorDesk::importListsNoWatchLists()
{
    QTemporaryDir data;
    for (const char *name :
         {"people.csv", "crew.xlsx", "Veyra_No_Fly_1205.csv", "Veyra.csv", "Manifest.csv", "veyra_cleared.CSV"})
        TestSupport::writeFile(data.filePath(name), "LASTNAME\r\nROE\r\n");
    RunningApp app(data.path());
    auto *files = app.module.excelImportWindow().findChild<FileList *>("File1");
    QCOMPARE(files->fileNames(), (QStringList{"crew.xlsx", "people.csv"}));
}

// A long name the search wrote back upper-cased is shown from its start, as the operator reads it.
void TestOperatorDesk::searchedLongNameShowsItsStart()
{
    QTemporaryDir data;
    TestSupport::writeFile(
        data.filePath("Veyra_No_Fly.csv"),
        "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n"
        "1,,ROE,RICHARD,,P,,,,,\r\n");
    RunningApp app(data.path());
    auto *last = app.find<QLineEdit>("Text1_0");
    auto *first = app.find<QLineEdit>("Text2_0");
    last->setText("wolfeschlegelsteinhausenbergerdorff-vondertannenwaldhausen");
    first->setText("hubert blaine");
    app.find<QPushButton>("Command1")->setFocus();
    app.window().File1_Click("Veyra_No_Fly.csv");
    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(last->text(), QStringLiteral("WOLFESCHLEGELSTEINHAUSENBERGERDORFF-VONDERTANNENWALDHAUSEN"));
    QCOMPARE(last->cursorPosition(), 0);
    QCOMPARE(first->cursorPosition(), 0);
}

VEYRA_TEST(TestOperatorDesk)
#include "TestOperatorDesk.moc"
