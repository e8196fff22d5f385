#include "codec/LhEncoder.h"
#include "../codec/CodecTestSupport.h"
#include "../support/SanitizerScale.h"
#include "LhasaDecode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <random>
#include <stdexcept>

using namespace vexel::codec;
using vexel::codec::test::mixedData;
using vexel::test::lhasaDecode;
using vexel::test::sanitizerScaled;

namespace {

// `size` random bytes from `seed`, then again the `count` of them that start at `from`:
// a copy that only a match reaching that far back can code cheaply.
std::vector<std::uint8_t> randomThenRepeat(unsigned seed, std::size_t size, std::size_t from,
                                           std::size_t count)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> data(size);
    for (auto &b : data)
        b = static_cast<std::uint8_t>(rng());
    const std::vector<std::uint8_t> copy(data.begin() + static_cast<std::ptrdiff_t>(from),
                                         data.begin() + static_cast<std::ptrdiff_t>(from + count));
    data.insert(data.end(), copy.begin(), copy.end());
    return data;
}

std::vector<std::uint8_t> compress(LhMethod method, const std::vector<std::uint8_t> &data,
                                   const LhEncoderOptions &options = {},
                                   std::size_t piece = 1u << 20)
{
    LhEncoder enc(method, options);
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        enc.write({data.data() + at, std::min(piece, data.size() - at)});
        enc.drainTo(out);
    }
    enc.finish();
    enc.drainTo(out);
    return out;
}

// `packed` decodes through liblhasa to exactly `data`, using no more than its bytes.
void expectDecodesTo(LhMethod method, const std::vector<std::uint8_t> &packed,
                     const std::vector<std::uint8_t> &data)
{
    std::size_t consumed = 0;
    const auto id = lhMethodInfo(method).id;
    const auto back = lhasaDecode(id, packed, data.size(), &consumed);
    ASSERT_EQ(back.size(), data.size()) << id;
    ASSERT_TRUE(back == data) << id << ", " << data.size() << " bytes";
    EXPECT_LE(consumed, packed.size());
}

void expectRoundTrip(LhMethod method, const std::vector<std::uint8_t> &data,
                     const LhEncoderOptions &options = {})
{
    expectDecodesTo(method, compress(method, data, options), data);
}

const LhMethod kMethods[] = {LhMethod::Lh5, LhMethod::Lh6, LhMethod::Lh7};

// The tests of the encoder's threads take their chunk size from here. The sanitizer
// builds parse chunks and code blocks an eighth of the default size, and scale their
// inputs with them, so that a test crosses the same chunk, pair and block ends there
// as in the normal build, which keeps the default 512 KiB chunks.
constexpr std::size_t kDefaultChunk = std::size_t{1} << 19;
constexpr std::size_t kScale = sanitizerScaled<std::size_t>(1, 8);
constexpr std::size_t kChunk = kDefaultChunk / kScale;
constexpr std::size_t kPair = 2 * kChunk;

// A size of the normal build, scaled with the chunk.
constexpr std::size_t scaled(std::size_t normalBytes) { return normalBytes / kScale; }

LhEncoderOptions chunked(LhEncoderOptions options = {})
{
    options.chunkBytes = kChunk;
    if (options.blockTokens == 0)
        options.blockTokens = static_cast<std::uint32_t>(scaled(lh::kMaxBlockTokens));
    return options;
}

} // namespace

TEST(LhEncoder, SmallAndDegenerateInputs)
{
    for (LhMethod m : kMethods) {
        expectRoundTrip(m, {});
        expectRoundTrip(m, {'x'});
        expectRoundTrip(m, {'a', 'b'});
        expectRoundTrip(m, std::vector<std::uint8_t>(65536, 0));
        expectRoundTrip(m, std::vector<std::uint8_t>(1000, 0xFF));
        // One literal repeated: a one-symbol C table after the first block.
        std::vector<std::uint8_t> alternating;
        for (int i = 0; i < 50000; ++i)
            alternating.push_back(i % 2 ? 'b' : 'a');
        expectRoundTrip(m, alternating);
    }
}

TEST(LhEncoder, OneSymbolTablesInEveryPosition)
{
    // Block of a single repeated match (C and P tables of one symbol each).
    LhEncoderOptions tiny;
    tiny.blockTokens = 1;
    for (LhMethod m : kMethods) {
        expectRoundTrip(m, mixedData(5000, 3), tiny);
        expectRoundTrip(m, std::vector<std::uint8_t>(3000, 'q'), tiny);
    }
    LhEncoderOptions few;
    few.blockTokens = 3;
    expectRoundTrip(LhMethod::Lh5, mixedData(4000, 8), few);
}

TEST(LhEncoder, EmptyStreamIsEmpty) { EXPECT_TRUE(compress(LhMethod::Lh7, {}).empty()); }

TEST(LhEncoder, MatchesAtTheFullDictionaryDistance)
{
    for (LhMethod m : kMethods) {
        const std::size_t dict = std::size_t{1} << lhMethodInfo(m).dictBits;
        const auto data = randomThenRepeat(static_cast<unsigned>(dict), dict, 0, 4000);
        const auto packed = compress(m, data);
        // The repeat is coded as matches, not as 4000 random literals.
        EXPECT_LT(packed.size(), dict + 2000);
        expectDecodesTo(m, packed, data);
    }
}

// A stream shorter than the dictionary is searched in a window sized to it: a copy of
// its first bytes at its end, the farthest back a match can reach, is still found,
// whichever side of a power of two the stream's length falls.
TEST(LhEncoder, AShortStreamFindsMatchesBackToItsFirstByte)
{
    for (LhMethod m : kMethods) {
        const std::size_t dict = std::size_t{1} << lhMethodInfo(m).dictBits;
        for (std::size_t total = 2048; total < dict; total *= 4) {
            for (std::size_t length : {total - 1, total, total + 1}) {
                const std::size_t copy = length / 3;
                const auto data = randomThenRepeat(static_cast<unsigned>(length), length - copy,
                                                   0, copy);
                const auto packed = compress(m, data);
                EXPECT_LT(packed.size(), length - copy + copy / 4)
                    << lhMethodInfo(m).id << ", " << length << " bytes";
                expectDecodesTo(m, packed, data);
            }
        }
    }
}

// Blocks across a chunk end, inside the first pair.
TEST(LhEncoder, ManyBlocksAndPieceSizesGiveTheSameStream)
{
    const auto data = mixedData(scaled(700000), 21);
    for (LhMethod m : kMethods) {
        const auto whole = compress(m, data, chunked());
        EXPECT_EQ(compress(m, data, chunked(), 777), whole);
        expectDecodesTo(m, whole, data);
    }
    LhEncoderOptions maxBlocks;
    maxBlocks.blockTokens = 65535;
    expectRoundTrip(LhMethod::Lh7, mixedData(scaled(900000), 4), chunked(maxBlocks));
}

TEST(LhEncoder, CompressesText)
{
    std::string text;
    std::mt19937 rng(2);
    const char *words[] = {"archive ", "member ", "header ", "the ",
                           "of ",      "window ", "block\n", "code "};
    const std::size_t size = sanitizerScaled<std::size_t>(300000, 100000);
    while (text.size() < size)
        text += words[rng() % 8];
    const std::vector<std::uint8_t> data(text.begin(), text.end());
    for (LhMethod m : kMethods) {
        const auto packed = compress(m, data);
        EXPECT_LT(packed.size(), data.size() / 4);
        expectDecodesTo(m, packed, data);
    }
}

TEST(LhEncoder, ChunksSeeTheDictionaryBeforeThem)
{
    // Random bytes up to the first chunk end, then a copy of their last 60,000 bytes:
    // the second chunk is all one match into the first, if its parser was primed.
    const std::size_t size = std::size_t{1} << 19;
    const auto data = randomThenRepeat(6, size, size - 60000, 60000);
    const auto packed = compress(LhMethod::Lh7, data);
    EXPECT_LT(packed.size(), (std::size_t{1} << 19) + 3000);
    expectDecodesTo(LhMethod::Lh7, packed, data);
}

// The same across a pair's end, where the history is what was kept of the pair before:
// a repeat of the pair's last 65,000 bytes, nearly a dictionary back, is all matches.
TEST(LhEncoder, APairSeesTheDictionaryOfThePairBefore)
{
    const auto data = randomThenRepeat(7, kPair, kPair - 65000, 65000);
    for (const std::size_t piece : {kPair, std::size_t{4099}}) {
        // The random pair costs about 1,100 bytes over its size (the tables of its
        // blocks); the repeat a few more. A history short by 1,000 bytes would cost as
        // many again.
        const auto packed = compress(LhMethod::Lh7, data, chunked(), piece);
        EXPECT_LT(packed.size(), kPair + 1600);
        if (piece == kPair)
            expectDecodesTo(LhMethod::Lh7, packed, data);
    }
}

// Two and a half chunk pairs, written whole and in pieces that end anywhere in a chunk.
TEST(LhEncoder, SeveralRoundsOfChunksJoinSeamlessly)
{
    const auto data = mixedData(scaled(2600000), 31);
    for (LhMethod m : {LhMethod::Lh5, LhMethod::Lh7}) {
        const auto whole = compress(m, data, chunked());
        EXPECT_EQ(compress(m, data, chunked(), scaled(300001)), whole);
        expectDecodesTo(m, whole, data);
    }
    // Blocks that start and end anywhere inside the chunks and straddle their ends.
    LhEncoderOptions oddBlocks;
    oddBlocks.blockTokens = 1001;
    expectRoundTrip(LhMethod::Lh7, data, chunked(oddBlocks));
}

TEST(LhPriceModel, PricesByWidthAgreeWithPricePerDistance)
{
    // The optimal parser looks distance prices up by width: the table must give
    // what distancePrice() gives, before and after learning, for every distance.
    for (const LhMethod method : kMethods) {
        const LhMethodInfo info = lhMethodInfo(method);
        LhPriceModel model(info);
        std::mt19937 rng(static_cast<unsigned>(info.dictBits));
        for (int lesson = 0; lesson < 2; ++lesson) {
            std::uint32_t byWidth[33];
            ASSERT_TRUE(model.distancePricesByWidth(byWidth));
            for (std::uint32_t d = 1; d <= (1u << info.dictBits); ++d)
                ASSERT_EQ(byWidth[std::bit_width(d - 1)], model.distancePrice(d))
                    << info.id << " distance " << d;
            // Skewed distances, so that the learned position codes differ in length.
            std::vector<LzToken> tokens;
            for (int i = 0; i < 5000; ++i)
                tokens.push_back(
                    {1 + (static_cast<std::uint32_t>(rng()) >> (32 - 1 - rng() % info.dictBits)),
                     3});
            model.learn(tokens);
        }
    }
}

TEST(LhEncoder, DroppedMidStreamWaitsForItsBackgroundParse)
{
    // A stopped run destroys the encoder unfinished, while a chunk pair may still be
    // parsed in the background: the destructor waits for it instead of aborting. Dropped
    // during the first pair's parse, and during a later one's, after blocks were coded
    // (after one more pair).
    const std::size_t longest = 3 * kPair;
    const auto data = mixedData(longest, 8);
    for (const std::size_t bytes : {kPair, longest}) {
        LhEncoder enc(LhMethod::Lh7, chunked());
        enc.write({data.data(), bytes});
        std::vector<std::uint8_t> out;
        enc.drainTo(out);
    }
    // And a whole stream across a join of chunk pairs still round-trips after that.
    expectRoundTrip(LhMethod::Lh7,
                    {data.begin(), data.begin() + static_cast<std::ptrdiff_t>(kPair + scaled(100000))},
                    chunked());
}

// A chunk size of the caller's own: the stream still decodes to the input, is the same
// however the input is cut into write() calls, and is not the default chunks' stream
// (matches are cut at other places). Chunks down to the dictionary, the smallest taken.
TEST(LhEncoder, AChunkSizeOfItsOwnGivesOneStreamForAnyWrites)
{
    const struct {
        LhMethod method;
        std::size_t chunk;
    } cases[] = {{LhMethod::Lh5, std::size_t{1} << 13}, {LhMethod::Lh7, std::size_t{1} << 16},
                 {LhMethod::Lh7, 100000}};
    const auto data = mixedData(5 * (std::size_t{1} << 16) + 4321, 14);
    for (const auto &c : cases) {
        LhEncoderOptions options;
        options.chunkBytes = c.chunk;
        const auto whole = compress(c.method, data, options);
        expectDecodesTo(c.method, whole, data);
        for (const std::size_t piece : {std::size_t{777}, c.chunk, c.chunk * 2 + 1})
            EXPECT_EQ(compress(c.method, data, options, piece), whole)
                << lhMethodInfo(c.method).id << " chunk " << c.chunk << " piece " << piece;
        EXPECT_NE(compress(c.method, data), whole) << lhMethodInfo(c.method).id;
    }
    // A chunk shorter than the dictionary would leave its parser without the input
    // before it; one too large for memory is refused as well.
    for (const std::size_t wrong : {std::size_t{1} << 15, std::size_t{1} << 30}) {
        LhEncoderOptions options;
        options.chunkBytes = wrong;
        EXPECT_THROW(LhEncoder(LhMethod::Lh7, options), std::invalid_argument) << wrong;
    }
    LhEncoderOptions smallest;
    smallest.chunkBytes = std::size_t{1} << 13;
    EXPECT_THROW(LhEncoder(LhMethod::Lh6, smallest), std::invalid_argument);
}

// The background parse asks whether to stop at least every 32 KiB it parses, so a stop
// is seen within a few milliseconds of work; once told to stop it parses no more.
TEST(LhEncoder, BackgroundParseAsksToStopEvery32KiB)
{
    const auto data = mixedData(kPair, 9); // one pair of chunks
    std::atomic<int> asked{0};
    LhEncoderOptions going = chunked();
    going.stopRequested = [&asked] {
        ++asked;
        return false;
    };
    // Two chunks, parsed at once.
    expectRoundTrip(LhMethod::Lh5, data, going);
    EXPECT_GE(asked.load(), static_cast<int>(data.size() >> 15));

    std::atomic<int> askedWhenStopped{0};
    LhEncoderOptions stopped = chunked();
    stopped.stopRequested = [&askedWhenStopped] {
        ++askedWhenStopped;
        return true;
    };
    LhEncoder enc(LhMethod::Lh5, stopped);
    enc.write(data); // starts the pair's parse, which ends at its first question
    enc.write(data); // waits for it: no longer than one question per chunk
    EXPECT_LE(askedWhenStopped.load(), 4);
}

// A stop is looked at before each block is coded: from then on the stream is dropped,
// with not one more block written, the last one included.
TEST(LhEncoder, AStopDropsTheBlocksNotWrittenYet)
{
    const auto data = mixedData(kPair, 10); // one pair of chunks
    std::atomic<bool> stop{false};
    LhEncoderOptions options = chunked();
    options.stopRequested = [&stop] { return stop.load(); };
    LhEncoder enc(LhMethod::Lh7, options);
    enc.write(data);
    enc.write(data); // the first pair's blocks
    std::vector<std::uint8_t> out;
    enc.drainTo(out);
    ASSERT_FALSE(out.empty());
    const std::size_t beforeStop = out.size();
    stop = true;
    enc.write(data);
    enc.write(data);
    enc.finish();
    enc.drainTo(out);
    EXPECT_EQ(out.size(), beforeStop);
}

// With an output sink the stream goes out a block at a time as it is coded, the same
// bytes as drainTo() would give: a pair's output is never held whole. The input spans
// more than one chunk pair, so blocks go out while the next pair is parsed: three pairs,
// the second one random.
TEST(LhEncoder, OutputSinkGetsTheSameStreamABlockAtATime)
{
    const std::size_t size = 3 * kPair;
    const std::size_t randomFrom = kPair;
    const std::size_t randomBytes = kPair;
    std::mt19937 rng(12);
    auto data = mixedData(size, 12);
    for (std::size_t i = randomFrom; i < randomFrom + randomBytes; ++i)
        data[i] = static_cast<std::uint8_t>(rng()); // a stretch that does not shrink
    for (LhMethod m : {LhMethod::Lh5, LhMethod::Lh7}) {
        std::vector<std::uint8_t> streamed;
        std::size_t largest = 0, pieces = 0;
        LhEncoderOptions options = chunked();
        options.output = [&](std::span<const std::uint8_t> bytes) {
            streamed.insert(streamed.end(), bytes.begin(), bytes.end());
            largest = std::max(largest, bytes.size());
            ++pieces;
            return true;
        };
        const auto leftOver = compress(m, data, options, 100000);
        EXPECT_TRUE(leftOver.empty());
        EXPECT_EQ(streamed, compress(m, data, chunked()));
        // A block of literals and its tables, not a pair's output.
        EXPECT_LT(largest, scaled(80000)) << lhMethodInfo(m).id;
        // The random stretch alone makes a block per block's worth of literals.
        EXPECT_GT(pieces, randomBytes / scaled(65536) + 4) << lhMethodInfo(m).id;
    }
}

// A sink that refuses the bytes (the archive is full, or the data does not shrink)
// drops the stream: nothing more is coded or handed over, finish() included, and the
// parse is not waited for.
TEST(LhEncoder, ARefusedOutputDropsTheStream)
{
    // The first blocks go out once the second pair is read in.
    const auto data = mixedData(4 * kPair, 13);
    const std::size_t piece = scaled(65536);
    int calls = 0;
    LhEncoderOptions options = chunked();
    options.output = [&calls](std::span<const std::uint8_t>) { return ++calls < 2; };
    LhEncoder enc(LhMethod::Lh7, options);
    std::size_t at = 0;
    for (; at < data.size() && calls < 2; at += piece)
        enc.write({data.data() + at, piece});
    EXPECT_EQ(calls, 2);
    EXPECT_LT(at, data.size());
    enc.write({data.data() + at, data.size() - at});
    enc.finish();
    std::vector<std::uint8_t> out;
    enc.drainTo(out);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(out.empty());
}
