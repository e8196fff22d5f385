// Calls one archiver library's main entry the way the program does, without a window:
//   vexel_lib_driver <library.so> <Prefix> <command line>
// e.g. vexel_lib_driver build/bin/zip32j.so Zip '-r -9 "/tmp/a.zip" "/data/" @/tmp/a.lst'
// Exits with the entry's return value and prints its output line to stderr.
#include "KryUnPackDec.h"

#include <cstdio>
#include <dlfcn.h>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <library.so> <Prefix> <command line>\n", argv[0]);
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
    char output[KRY_OUTPUT_SIZE] = "";
    const int rc = entry(nullptr, argv[3], output, sizeof output);
    if (output[0])
        std::fprintf(stderr, "%s\n", output);
    return rc == 0 ? 0 : 1;
}
