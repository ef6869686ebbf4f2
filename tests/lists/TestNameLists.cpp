#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/TextBox.h"
#include "search/RowMarks.h"
#include "shared/RgbColor.h"

#include <QCheckBox>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestNameLists : public QObject
{
    Q_OBJECT

private slots:
    void menus();
    void saveAndImportRoundTrip();
    void importOfANeverSavedSlotEmptiesTheRows();
    void listsFollowTheManifestFolder();
    void saveThatCannotWriteIsReported();
    void savingOverASlotKeepsItsNames();
};

namespace {
TextBox *box(RunningApp &app, int field, int row)
{
    return app.find<TextBox>(QStringLiteral("Text%1_%2").arg(field).arg(row));
}
} // namespace

void TestNameLists::menus()
{
    RunningApp app;
    auto captions = [&](const char *menu) {
        QStringList texts;
        for (QAction *action : app.find<QMenu>(menu)->actions()) {
            // Each entry is reached from the keyboard; the caption is the operators' one around the mnemonic.
            const bool reached = action->text().isEmpty() || !QKeySequence::mnemonic(action->text()).isEmpty();
            texts.append(reached ? QString(action->text()).remove('&') : "no mnemonic: " + action->text());
        }
        return texts;
    };
    const QStringList save = captions("SaveNames");
    QCOMPARE(save.size(), 19);
    QCOMPARE(save.mid(0, 5), (QStringList{"Crew #1", "Crew #2", "Crew #3", "Crew #4", ""}));
    QCOMPARE(save.mid(15), (QStringList{"Passengers #1", "Passengers #2", "Passengesr #3", "Passengers #4"}));
    const QStringList import = captions("ImportNames");
    QCOMPARE(import.mid(15),
             (QStringList{"Passengers #1", "Passengers #2", "Passengers #3", "Passengers #4", "", "From Excel"}));
    QVERIFY(app.find<QAction>("importemployee_2"));
    QCOMPARE(app.find<QAction>("Mechanic_4")->text(), "&Mechanics #4");
}

void TestNameLists::saveAndImportRoundTrip()
{
    RunningApp app;
    const int rows[] = {0, 2, 5};
    for (int i = 0; i < 3; ++i) {
        for (int field = 1; field <= 4; ++field)
            box(app, field, rows[i])->setText(QStringLiteral("V%1%2").arg(i).arg(field));
    }
    box(app, 2, 1)->setText("FIRST ONLY");
    app.find<QAction>("Passenger_3")->trigger();
    QCOMPARE(readFile(app.data("Passenger-3")).count('\n'), 3);

    box(app, 1, 9)->setText("STALE");
    box(app, 1, 9)->setForeColor(toColor(RowColors::Red));
    app.find<QAction>("importpassenger_3")->trigger();
    QCOMPARE(app.module.CurrentNameFile, "Passenger-3");
    for (int i = 0; i < 3; ++i) {
        for (int field = 1; field <= 4; ++field)
            QCOMPARE(box(app, field, i)->text(), QStringLiteral("V%1%2").arg(i).arg(field));
        QVERIFY(app.find<QCheckBox>(QStringLiteral("Check2_%1").arg(i))->isChecked());
    }
    QCOMPARE(box(app, 1, 9)->text(), "");
    QCOMPARE(box(app, 1, 9)->foreColor(), toColor(RowColors::Black));
    QVERIFY(app.find<QPushButton>("Command2")->isEnabled());
}

void TestNameLists::importOfANeverSavedSlotEmptiesTheRows()
{
    RunningApp app;
    box(app, 1, 0)->setText("SMITH");
    app.find<QAction>("importmechanic_2")->trigger();
    QCOMPARE(box(app, 1, 0)->text(), "");
    QCOMPARE(app.module.CurrentNameFile, "Mechanic-2");
    QVERIFY(!QFile::exists(app.data("Mechanic-2")));
}

void TestNameLists::listsFollowTheManifestFolder()
{
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkdir("flights"));
    writeFile(data.filePath("flights/Crew-1"), "\"PILOT\",\"\",\"\",\"\"\r\n");
    RunningApp app(data.path());
    QVERIFY(app.module.manifestWindow().setFolder(data.filePath("flights")));
    app.find<QAction>("importcrew_1")->trigger();
    QCOMPARE(box(app, 1, 0)->text(), "PILOT");
    app.find<QAction>("Crew_2")->trigger();
    QVERIFY(QFile::exists(data.filePath("flights/Crew-2")));
}

void TestNameLists::saveThatCannotWriteIsReported()
{
    RunningApp app;
    app.module.ManifestFolder = app.data("removed");
    box(app, 1, 0)->setText("SMITH");
    TestSupport::MessageBoxAnswerer boxes;
    app.find<QAction>("Employee_1")->trigger();
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].startsWith("The names could not be saved as Employee-1."), qPrintable(boxes.texts[0]));
    QCOMPARE(box(app, 1, 0)->text(), "SMITH");
}

void TestNameLists::savingOverASlotKeepsItsNames()
{
    QTemporaryDir data;
    writeFile(data.filePath("Crew-4"), "\"PILOT\",\"ANNA\",\"\",\"\"\r\n");
    RunningApp app(data.path());
    box(app, 1, 0)->setText("STEWARD");
    app.find<QAction>("Crew_4")->trigger();
    QCOMPARE(readFile(data.filePath("Crew-4")).left(10), QByteArray("\"STEWARD\","));
    // Saved again unchanged: nothing more to keep.
    app.find<QAction>("Crew_4")->trigger();

    QCOMPARE(keptVersions(data.path(), "Crew-4"), QByteArrayList{"\"PILOT\",\"ANNA\",\"\",\"\"\r\n"});
}

VEYRA_TEST(TestNameLists)
#include "TestNameLists.moc"
