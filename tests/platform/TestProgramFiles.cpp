#include "TestSupport.h"
#include "platform/files/ProgramFiles.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestProgramFiles : public QObject
{
    Q_OBJECT

private slots:
    void browserLibraryOnlyWhereTheProgramBelongs_data();
    void browserLibraryOnlyWhereTheProgramBelongs();
};

void TestProgramFiles::browserLibraryOnlyWhereTheProgramBelongs_data()
{
    // Folders under one root: the program's, the build tree's program folder, and a library planted where an
    // installed program must not look. expected: "beside" the program, or "installed" under usr/lib.
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("planted");
    QTest::addColumn<QString>("expected");
    newRow("the build tree's program", "build/src", "build/src", "build/src/libveyra_browser.so", "beside");
    newRow("the build tree's program, named through a link", "link-to-build/src", "build/src",
           "build/src/libveyra_browser.so", "beside");
    newRow("installed, a library planted beside it", "usr/bin", "build/src", "usr/bin/libveyra_browser.so",
           "installed");
    newRow("installed, a library planted in src beside bin", "usr/bin", "build/src",
           "usr/src/veyra_browser/libveyra_browser.so", "installed");
    newRow("installed, its build tree gone", "usr/bin", "gone/src", "", "installed");
}

void TestProgramFiles::browserLibraryOnlyWhereTheProgramBelongs()
{
    QFETCH(QString, program);
    QFETCH(QString, build);
    QFETCH(QString, planted);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QDir(root.path()).mkpath("build/src");
    QDir(root.path()).mkpath("usr/bin");
    QVERIFY(QFile::link(root.filePath("build"), root.filePath("link-to-build")));
    if (!planted.isEmpty()) {
        QDir(root.path()).mkpath(QFileInfo(planted).path());
        writeFile(root.filePath(planted), "planted");
    }
    const QString library = ProgramFiles::browserLibrary(root.filePath(program), root.filePath(build));
    if (expected == "beside") {
        QCOMPARE(library, root.filePath(program + "/veyra_browser"));
        return;
    }
    QVERIFY2(library.startsWith(root.filePath("usr/lib/")), qPrintable(library));
    QVERIFY2(library.endsWith("/veyracheck/veyra_browser"), qPrintable(library));
}

VEYRA_TEST(TestProgramFiles)
#include "TestProgramFiles.moc"
