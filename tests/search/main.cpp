#include "TestSupport.h"
#include "TestWatchListSelection.h"

int main(int argc, char *argv[]) {
    return TestSupport::runAll<TestWatchListSelection>(argc, argv);
}
