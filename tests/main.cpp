#include "TestSupport.h"

#include <QTemporaryDir>

#include <cstring>

// Runs the test classes linked into this executable. With a class name first ("TestRecordFile fn ..."), only that
// class runs, and the rest of the command line goes to it, so one function can be run alone. The exit status
// counts the classes that failed.
int main(int argc, char *argv[])
{
    // A home of its own: a program or tool started without --data-folder keeps its data folder (and its
    // screening record) under the home, never under the real one.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // as the program does, for its web view
    QApplication app(argc, argv);
    const char *only = argc > 1 && std::strncmp(argv[1], "Test", 4) == 0 ? argv[1] : nullptr;
    std::vector<char *> args(argv, argv + argc);
    if (only)
        args.erase(args.begin() + 1);
    int failed = 0;
    bool found = false;
    for (const auto &create : TestSupport::registeredTests()) {
        const std::unique_ptr<QObject> test = create();
        if (only && std::strcmp(test->metaObject()->className(), only) != 0)
            continue;
        found = true;
        failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data()) != 0;
    }
    if (only && !found) {
        qWarning("no test class %s in this executable", only);
        return 1;
    }
    return failed;
}
