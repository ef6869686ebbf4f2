// Differential: the engine's fast CSV reader against the plain reference reader of the tests, on arbitrary bytes.
// Any difference in records, fields, decoded texts or the line of a refusal is a crash with the difference told.
#include "support/CsvDifference.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::string difference = CsvDifference::first(input, data[0] & 1);
    if (!difference.empty()) {
        std::fprintf(stderr, "readers differ: %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
