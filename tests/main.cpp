#include "TestSupport.h"

// Runs every test class linked into this executable; the exit status counts the classes that failed.
int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // as the program does, for its web view
    QApplication app(argc, argv);
    int failed = 0;
    for (const auto &create : TestSupport::registeredTests())
        failed += QTest::qExec(create().get(), argc, argv) != 0;
    return failed;
}
