// Any bytes as a descriptor: the reader sets at most six fields, never reads or writes out of
// bounds, and never overflows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "file_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (file == nullptr) return 0;
    int v[7] = {-1, -1, -1, -1, -1, -1, 12345};
    int* const fields[6] = {&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]};
    const int n = read_descriptor(file, fields);
    std::fclose(file);
    if (n < 0 || n > 6 || v[6] != 12345) std::abort();
    return 0;
}
