// The LZX match searches run a frame ahead on a thread of their own. Their matches do not
// depend on prices, so the thread must change nothing in the output: these tests compare
// it with searches on the caller's thread, however the bytes come in, and stop and drop
// streams in the middle. Also run under ThreadSanitizer (label "tsan").
#include "../codec/CodecTestSupport.h"
#include "../support/SanitizerScale.h"
#include "CabFormat.h"
#include "CabTestSupport.h"
#include "LzxEncoder.h"
#include "LzxOptimalParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

using namespace cabtest;

namespace {

using vexel::codec::LzToken;

// Frames of mixed data, runs (matches of the longest length, taken whole) and random
// bytes (few matches), so that every kind of stretch meets a frame end somewhere.
Bytes streamData(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes data = vexel::codec::test::mixedData(size, seed);
    for (std::size_t at = 0; at + 40000 < size; at += 60000 + rng() % 50000) {
        const auto value = std::uint8_t(rng());
        std::fill_n(data.begin() + std::ptrdiff_t(at), 3000 + rng() % 30000, value);
        const Bytes noise = randomBytes(2000, seed + std::uint32_t(at));
        std::copy(noise.begin(), noise.end(), data.begin() + std::ptrdiff_t(at + 35000));
    }
    return data;
}

// The payloads and their sizes as the encoder hands them on, one after the other.
Bytes encodeFolder(const Bytes &data, cab::LzxEncoder::Options options, bool onItsOwnThread,
                   std::uint64_t expectedBytes)
{
    options.searchOnItsOwnThread = onItsOwnThread;
    cab::LzxEncoder encoder(options);
    Bytes out;
    encoder.beginFolder(
        [&](const std::uint8_t *payload, std::size_t size, std::uint32_t uncompressed) {
            out.insert(out.end(), payload, payload + size);
            for (int k = 0; k < 4; ++k)
                out.push_back(std::uint8_t(uncompressed >> (8 * k)));
        },
        expectedBytes);
    for (std::size_t at = 0; at < data.size(); at += cab::kFrameSize)
        encoder.addFrame(data.data() + at, std::min<std::size_t>(cab::kFrameSize, data.size() - at));
    encoder.endFolder();
    return out;
}

std::vector<LzToken> parseWhole(const Bytes &data, int windowBits, bool onItsOwnThread,
                                std::size_t piece)
{
    cab::lzx::LzxOptimalParser parser(windowBits, 48, 128, 8, 0, onItsOwnThread);
    std::vector<LzToken> tokens;
    for (std::size_t at = 0; at < data.size(); at += piece)
        parser.feed(std::span(data).subspan(at, std::min(piece, data.size() - at)), tokens);
    parser.finish(tokens);
    return tokens;
}

bool sameTokens(const std::vector<LzToken> &a, const std::vector<LzToken> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const LzToken &x, const LzToken &y) {
        return x.distance == y.distance && x.value == y.value;
    });
}

} // namespace

TEST(LzxSearchThread, FoldersComeOutTheSameAsWithTheSearchOnTheCaller)
{
    // Sizes at and around frame ends, a last frame shorter than a match's lookahead, and
    // folders past the x86-code decision's first MiB; windows from the smallest to the
    // largest, known folder lengths and unknown ones. Under the sanitizers, whose step
    // is about the thread, not the sizes, a few small folders.
    const std::vector<std::size_t> sizes =
        vexel::test::kSanitizedBuild
        ? std::vector<std::size_t>{3 * cab::kFrameSize + 257}
        : std::vector<std::size_t>{0,
                                   1,
                                   200,
                                   cab::kFrameSize,
                                   cab::kFrameSize + 100,
                                   5 * cab::kFrameSize + 257,
                                   9 * cab::kFrameSize + 7,
                                   33 * cab::kFrameSize + 300,
                                   41 * cab::kFrameSize + 40};
    int seed = 0;
    for (const std::size_t size : sizes) {
        for (const int windowBits : {15, 21}) {
            ++seed;
            const Bytes data = streamData(size, std::uint32_t(seed));
            cab::LzxEncoder::Options options;
            options.windowBits = windowBits;
            options.framesPerBlock = 1 + std::uint32_t(seed % 4);
            options.e8 = static_cast<cab::LzxEncoder::E8Mode>(seed % 3);
            const std::uint64_t expected = seed % 4 == 1 || seed % 4 == 2 ? data.size() : 0;
            const Bytes alone = encodeFolder(data, options, false, expected);
            const Bytes ahead = encodeFolder(data, options, true, expected);
            EXPECT_TRUE(alone == ahead) << size << " bytes, window 2^" << windowBits << ": "
                                        << alone.size() << " against " << ahead.size();
        }
    }
}

TEST(LzxSearchThread, BytesInOnePieceOrInFramesGiveTheSameTokens)
{
    // One piece of many frames makes the search hold frames back until the parser takes
    // them, and (in the small window) the match finder slide its buffer several times
    // within one hand-over.
    const Bytes data = streamData(vexel::test::kSanitizedBuild ? 7 * cab::kFrameSize : 1500000, 11);
    for (const int windowBits : {15, 21}) {
        if (vexel::test::kSanitizedBuild && windowBits != 15)
            continue;
        const std::vector<LzToken> reference = parseWhole(data, windowBits, false, cab::kFrameSize);
        EXPECT_TRUE(sameTokens(reference, parseWhole(data, windowBits, true, data.size())))
            << "window 2^" << windowBits << ", one piece";
        EXPECT_TRUE(sameTokens(reference, parseWhole(data, windowBits, true, 1000)))
            << "window 2^" << windowBits << ", pieces of 1000 bytes";
        if (!vexel::test::kSanitizedBuild) { // no thread to check
            EXPECT_TRUE(sameTokens(reference, parseWhole(data, windowBits, false, data.size())))
                << "window 2^" << windowBits << ", one piece, no thread";
        }
    }
}

TEST(LzxSearchThread, AStopEndsTheParseAndItsSearchAtOnce)
{
    // A stop, answered while a frame is priced or while its matches are waited for:
    // the parser ends there and asks no more, and goes away (its thread too) at once.
    const Bytes data = streamData(vexel::test::kSanitizedBuild ? 200000 : 2000000, 5);
    for (const int stopAtPoll : {1, 2, 5, 20}) {
        int polls = 0;
        std::vector<LzToken> tokens;
        const auto start = std::chrono::steady_clock::now();
        {
            cab::lzx::LzxOptimalParser parser(21, 48, 128, 8, data.size(), true);
            parser.setStopCheck([&] { return ++polls >= stopAtPoll; });
            parser.feed(data, tokens);
            parser.finish(tokens);
            EXPECT_TRUE(parser.stopped()) << stopAtPoll;
        }
        EXPECT_EQ(polls, stopAtPoll) << "asked again after it answered to stop";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

TEST(LzxSearchThread, AParserDroppedInTheMiddleEndsItsSearch)
{
    // Fed a frame at a time, the parser prices a frame once the frame after it can be
    // searched: the tokens of all but the last two frames are out, while the search
    // works on the one before the last. A parser that goes away then (the cabinet
    // failed elsewhere) takes its search thread with it.
    const Bytes data = streamData(6 * cab::kFrameSize, 8);
    for (const std::size_t frames : {1, 2, 3, 6}) {
        std::vector<LzToken> tokens;
        {
            cab::lzx::LzxOptimalParser parser(21, 48, 128, 8, 0, true);
            for (std::size_t f = 0; f < frames; ++f)
                parser.feed(std::span(data).subspan(f * cab::kFrameSize, cab::kFrameSize), tokens);
        }
        std::uint64_t covered = 0;
        for (const LzToken &t : tokens)
            covered += t.isLiteral() ? 1 : t.value;
        EXPECT_EQ(covered, frames >= 2 ? (frames - 2) * cab::kFrameSize : 0) << frames << " frames";
    }
}

TEST(LzxSearchThread, TheShortMatchesTheTreesLeaveOutAreFound)
{
    // The search's trees are keyed by 8 bytes; the 4- to 7-byte matches come from the
    // parser's own hash. Words of 5 bytes from a small vocabulary, each followed by a
    // random byte, repeat at 5 bytes and hardly ever at 8: the parse codes most words
    // as matches of 5 (or 6, with the byte after).
    std::mt19937 rng(3);
    std::vector<Bytes> words(64);
    for (Bytes &w : words)
        w = randomBytes(5, std::uint32_t(rng()));
    Bytes data;
    while (data.size() < 200000) {
        const Bytes &w = words[rng() % words.size()];
        data.insert(data.end(), w.begin(), w.end());
        data.push_back(std::uint8_t(rng()));
    }
    for (const bool onItsOwnThread : {false, true}) {
        const std::vector<LzToken> tokens = parseWhole(data, 21, onItsOwnThread, cab::kFrameSize);
        const auto shortMatches = std::count_if(tokens.begin(), tokens.end(), [](const LzToken &t) {
            return !t.isLiteral() && t.value >= 4 && t.value <= 7;
        });
        EXPECT_GT(shortMatches, std::ptrdiff_t(data.size() / 6 / 2)) << onItsOwnThread;
    }
}
