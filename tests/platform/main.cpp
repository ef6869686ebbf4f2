#include "TestFlexGrid.h"
#include "TestRecordFile.h"
#include "TestSupport.h"
#include "TestWorkingNames.h"

int main(int argc, char *argv[]) {
    return TestSupport::runAll<TestRecordFile, TestWorkingNames, TestFlexGrid>(argc, argv);
}
