#include "TestCrashRecovery.h"
#include "TestSupport.h"
#include "TestVeyraForm1.h"

int main(int argc, char *argv[]) {
    return TestSupport::runAll<TestVeyraForm1, TestCrashRecovery>(argc, argv);
}
