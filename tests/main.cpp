#include "TestSupport.h"

// Runs every test class linked into this executable; the exit status counts the classes that failed.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int failed = 0;
    for (const auto &create : TestSupport::registeredTests())
        failed += QTest::qExec(create().get(), argc, argv) != 0;
    return failed;
}
