// Bench driver for LHA.
//   lha_bench_driver archive <unlha32.so> <command line>
//       loads the library as the program does, makes one archive, prints the seconds;
//   lha_bench_driver encode <5|6|7> <search depth|0> <block commands|0> files...
//       compresses each file with the stream encoder alone and prints the packed total
//       and the seconds (for tuning the encoder's parameters).
#include "codec/LhEncoder.h"
#include "KryUnPackDec.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int makeArchive(const char *library, const char *commandLine)
{
    void *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto unlha = reinterpret_cast<ArchiverMainProc>(dlsym(handle, "Unlha"));
    if (!unlha) {
        std::fprintf(stderr, "no Unlha in %s\n", library);
        return 2;
    }
    char output[KRY_OUTPUT_SIZE] = {};
    const auto start = std::chrono::steady_clock::now();
    const int result = unlha(nullptr, commandLine, output, sizeof output);
    std::printf("%.3f\n", secondsSince(start));
    if (result != 0)
        std::fprintf(stderr, "Unlha failed: %s\n", output);
    return result == 0 ? 0 : 1;
}

int encodeFiles(int argc, char **argv)
{
    using vexel::codec::LhMethod;
    const int level = std::atoi(argv[2]);
    const LhMethod method = level == 5 ? LhMethod::Lh5 : level == 6 ? LhMethod::Lh6 : LhMethod::Lh7;
    vexel::codec::LhEncoderOptions options;
    options.maxChain = static_cast<std::uint32_t>(std::atoi(argv[3]));
    options.blockTokens = static_cast<std::uint32_t>(std::atoi(argv[4]));
    if (const char *nice = std::getenv("LH_NICE"))
        options.niceLength = static_cast<std::uint32_t>(std::atoi(nice));
    std::uint64_t in = 0, out = 0;
    double seconds = 0;
    for (int i = 5; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(file), {}};
        const auto start = std::chrono::steady_clock::now();
        vexel::codec::LhEncoder encoder(method, options);
        std::vector<std::uint8_t> packed;
        encoder.write(data);
        encoder.finish();
        encoder.drainTo(packed);
        seconds += secondsSince(start);
        in += data.size();
        out += std::min<std::uint64_t>(packed.size(), data.size());
    }
    std::printf("%llu %llu %.3f\n", static_cast<unsigned long long>(in), static_cast<unsigned long long>(out),
                seconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "archive" && argc == 4)
        return makeArchive(argv[2], argv[3]);
    if (mode == "encode" && argc >= 6)
        return encodeFiles(argc, argv);
    std::fprintf(stderr, "usage: %s archive <unlha32.so> <command line>\n"
                         "       %s encode <5|6|7> <depth> <block commands> files...\n", argv[0], argv[0]);
    return 2;
}
