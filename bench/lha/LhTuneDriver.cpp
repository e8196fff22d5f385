// Tuning driver for the -lhN- encoder alone (no archive, no file reading in the time):
//   lh_tune_driver <5|6|7> <search depth|0> <block commands|0> files...
// prints the input bytes, the packed bytes (a file that would not shrink counts as
// stored) and the seconds spent compressing. LH_NICE=<n> sets the nice length.
#include "codec/LhEncoder.h"

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

int encodeFiles(int argc, char **argv)
{
    using vexel::codec::LhMethod;
    const int level = std::atoi(argv[1]);
    const LhMethod method = level == 5 ? LhMethod::Lh5 : level == 6 ? LhMethod::Lh6 : LhMethod::Lh7;
    vexel::codec::LhEncoderOptions options;
    options.maxChain = static_cast<std::uint32_t>(std::atoi(argv[2]));
    options.blockTokens = static_cast<std::uint32_t>(std::atoi(argv[3]));
    if (const char *nice = std::getenv("LH_NICE"))
        options.niceLength = static_cast<std::uint32_t>(std::atoi(nice));
    std::uint64_t in = 0, out = 0;
    double seconds = 0;
    for (int i = 4; i < argc; ++i) {
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
    std::printf("%llu %llu %.3f\n", static_cast<unsigned long long>(in),
                static_cast<unsigned long long>(out), seconds);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <5|6|7> <depth> <block commands> files...\n", argv[0]);
        return 2;
    }
    return encodeFiles(argc, argv);
}
