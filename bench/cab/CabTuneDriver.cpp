// Writes one cabinet from the files named on the command line with explicit encoder
// settings, and prints "<bytes> <seconds>": how the defaults of the encoders were chosen.
//   cab_tune_driver <out.cab> mszip[:<level>]|lzx:<bits>[:<framesPerBlock>:<maxChain>:<niceLength>:<e8>:<treeHashBytes>] files...
// (treeHashBytes 0: chosen by the window, as the library does)
// where e8 is 0 (decide from the data), 1 (off) or 2 (on).
#include "CabinetWriter.h"
#include "LzxEncoder.h"
#include "MszipEncoder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::unique_ptr<cab::FolderEncoder> encoderFor(const std::string &spec)
{
    if (spec.rfind("mszip", 0) == 0) {
        int level = 9;
        std::sscanf(spec.c_str(), "mszip:%d", &level);
        return std::make_unique<cab::MszipEncoder>(level);
    }
    cab::LzxEncoder::Options options;
    unsigned bits = 21, frames = options.framesPerBlock, chain = options.maxChain,
             nice = options.niceLength, e8 = 0;
    unsigned hash = options.treeHashBytes;
    std::sscanf(spec.c_str(), "lzx:%u:%u:%u:%u:%u:%u", &bits, &frames, &chain, &nice, &e8, &hash);
    options.treeHashBytes = hash;
    options.e8 = static_cast<cab::LzxEncoder::E8Mode>(e8 % 3);
    options.windowBits = int(bits);
    options.framesPerBlock = frames;
    options.maxChain = chain;
    options.niceLength = nice;
    return std::make_unique<cab::LzxEncoder>(options);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s <out.cab> "
                     "mszip[:<level>]|lzx:<bits>[:<frames>:<chain>:<nice>:<e8>] files...\n",
                     argv[0]);
        return 2;
    }
    std::vector<cab::CabEntry> entries;
    for (int i = 3; i < argc; ++i)
        entries.push_back({argv[i], std::filesystem::path(argv[i]).filename().string(),
                           std::filesystem::file_size(argv[i]), 0, 0, 0x20});
    const auto encoder = encoderFor(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!cab::writeCabinet(argv[1], entries, *encoder, {}, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu %.2f\n", static_cast<unsigned long long>(std::filesystem::file_size(argv[1])),
                seconds);
    return 0;
}
