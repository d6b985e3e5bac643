#pragma once
// What every fuzz target provides: the libFuzzer entry point, and the seed
// inputs the program itself writes (the replay driver stores them with
// --write-seeds, so the corpora start from real files).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
std::vector<std::string> QuillonFuzzSeeds();

// A property the input broke: stop here, so the fuzzer keeps the input and
// the replay fails.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            __builtin_fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_abort();                                                             \
        }                                                                                  \
    } while (0)
