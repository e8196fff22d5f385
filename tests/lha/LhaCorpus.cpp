#include "LhaCorpus.h"

#include "../codec/CodecTestSupport.h"
#include "TestTree.h"

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace vexel::test {

namespace {

std::string bytes(const std::vector<std::uint8_t> &v) { return std::string(v.begin(), v.end()); }

// Random stretches each followed by a copy of what lies exactly `distance` back.
std::string windowRepeats(std::size_t distance, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string out;
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < distance; ++i)
            out.push_back(static_cast<char>(rng()));
        const std::size_t from = out.size() - distance;
        out += out.substr(from, 3000);
    }
    return out;
}

} // namespace

void buildLhaCorpus(const std::string &folder)
{
    testsupport::buildTree(folder, {});
    const fs::path root = folder;
    testsupport::writeFile((root / "65536 equal bytes.bin").string(), std::string(65536, 'A'));
    for (std::size_t distance : {8192u, 32768u, 65536u})
        testsupport::writeFile(
            (root / "window" / ("repeat at " + std::to_string(distance) + ".bin")).string(),
            windowRepeats(distance, static_cast<std::uint32_t>(distance)));
    fs::copy_file("/proc/self/exe", root / "executable");
    fs::create_directories(root / "source");
    for (const char *name : {"LzParser.cpp", "MatchFinder.cpp", "LhBlockWriter.cpp", "Huffman.cpp"})
        fs::copy_file(fs::path(LHA_CODEC_SOURCE_DIR) / name, root / "source" / name,
                      fs::copy_options::none);
    // 46 header bytes besides the name: a 210-byte name would make the header 256.
    testsupport::writeFile((root / std::string(206, 'n').append(".txt")).string(), "low byte");
}

void writeMixedData(const std::string &path, std::size_t size)
{
    std::string data;
    data.reserve(size + 903000);
    std::uint32_t seed = 1;
    while (data.size() < size) {
        data += bytes(codec::test::mixedData(900000, seed++));
        for (std::size_t distance : {8192u, 32768u, 65536u})
            data += data.substr(data.size() - distance, 1000);
    }
    data.resize(size);
    testsupport::writeFile(path, data);
}

void writeStopTestData(const std::string &path)
{
    const std::string tile = bytes(codec::test::mixedData(2u << 20, 1));
    std::string data;
    data.reserve(20u << 20);
    while (data.size() < (20u << 20))
        data += tile;
    data.resize(20u << 20);
    testsupport::writeFile(path, data);
}

} // namespace vexel::test
