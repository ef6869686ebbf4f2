#include "TestCompanyInfoFile.h"
#include "TestSupport.h"
#include "TestVeyraSettings.h"

int main(int argc, char *argv[]) {
    return TestSupport::runAll<TestCompanyInfoFile, TestVeyraSettings>(argc, argv);
}
