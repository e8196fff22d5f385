// Calls one archiver library's main entry the way the program does, without a window:
//   vexel_lib_driver <library.so> <Prefix> <command line> [--callback]
// e.g. vexel_lib_driver build/bin/zip32j.so Zip '-r -9 "/tmp/a.zip" "/data/" @/tmp/a.lst'
// With --callback, registers a callback (when the library has <Prefix>SetOwnerWindowEx)
// that reads every progress record as a host would, and prints how many arrived.
// Exits with the entry's return value and prints its output line to stderr.
#include "KryUnPackDec.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

unsigned long long records = 0;
unsigned long long seenBytes = 0;

// Reads what a host reads: the counts and the member's name.
int readingCallback(void *, uint32_t message, uint32_t, void *info)
{
    if (message == KRY_MSG_PROGRESS && info) {
        const KryProgress *record = static_cast<const KryProgress *>(info);
        seenBytes = record->bytesDone + (record->member ? std::strlen(record->member) : 0);
        ++records;
    }
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const bool callback = argc == 5 && std::strcmp(argv[4], "--callback") == 0;
    if (argc != 4 && !callback) {
        std::fprintf(stderr, "usage: %s <library.so> <Prefix> <command line> [--callback]\n",
                     argv[0]);
        return 2;
    }
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    const auto entry = reinterpret_cast<ArchiverMainProc>(dlsym(library, argv[2]));
    if (!entry) {
        std::fprintf(stderr, "no entry %s in %s\n", argv[2], argv[1]);
        return 2;
    }
    if (callback) {
        const std::string name = std::string(argv[2]) + "SetOwnerWindowEx";
        if (const auto owner = reinterpret_cast<ArchiverOwnerProc>(dlsym(library, name.c_str())))
            owner(nullptr, readingCallback);
    }
    char output[KRY_OUTPUT_SIZE] = "";
    const int rc = entry(nullptr, argv[3], output, sizeof output);
    if (output[0])
        std::fprintf(stderr, "%s\n", output);
    if (callback)
        std::fprintf(stderr, "progress records: %llu (last %llu)\n", records, seenBytes);
    return rc == 0 ? 0 : 1;
}
