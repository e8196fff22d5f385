#include "../support/SanitizerScale.h"
#include "CodecTestSupport.h"
#include "codec/LzOptimalParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <unordered_map>

using namespace vexel::codec;
using vexel::codec::test::expandTokens;
using vexel::codec::test::mixedData;
using vexel::test::sanitizerScaled;

namespace {

const MatchStructure kStructures[] = {MatchStructure::HashChains, MatchStructure::BinaryTree};

LzParserParams lhaLike(std::uint32_t window, MatchStructure structure = MatchStructure::HashChains)
{
    LzParserParams p;
    p.finder.structure = structure;
    p.finder.windowSize = window;
    p.finder.maxDistance = window;
    p.finder.maxMatch = 256;
    return p;
}

// Trees over the whole window whose walks never give up early (a search depth no input
// reaches), keyed by `keyBytes`: what they find can be checked against brute force.
MatchFinderParams unboundedTrees(std::uint32_t window, std::uint32_t keyBytes)
{
    MatchFinderParams p{window, window, 256, 1u << 30, 256, MatchStructure::BinaryTree};
    p.treeHashBytes = keyBytes;
    return p;
}

std::vector<LzToken> parseInPieces(const std::vector<std::uint8_t> &data,
                                   const LzParserParams &params, std::size_t piece)
{
    LzParser parser(params);
    std::vector<LzToken> tokens;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::size_t n = std::min(piece, data.size() - at);
        parser.feed({data.data() + at, n}, tokens);
    }
    parser.finish(tokens);
    return tokens;
}

void expectTokensWithinBounds(const std::vector<LzToken> &tokens, const LzParserParams &p)
{
    for (const LzToken &t : tokens) {
        if (t.isLiteral())
            continue;
        ASSERT_GE(t.value, p.minMatch);
        ASSERT_LE(t.value, p.finder.maxMatch);
        ASSERT_LE(t.distance, p.finder.maxDistance);
    }
}

} // namespace

TEST(MatchFinder, FindsMatchAtTheFullWindowDistance)
{
    const std::uint32_t window = 8192;
    std::vector<std::uint8_t> data = mixedData(window, 11);
    std::mt19937 rng(5);
    for (auto &b : data)
        b = static_cast<std::uint8_t>(rng());
    // The first 300 bytes come again exactly one window later.
    std::vector<std::uint8_t> stream = data;
    stream.insert(stream.end(), data.begin(), data.begin() + 300);

    for (MatchStructure structure : kStructures) {
        MatchFinder finder({window, window, 256, 4096, 256, structure});
        ASSERT_EQ(finder.append(stream), stream.size());
        finder.skip(window);
        const LzMatch m = finder.findAndInsert();
        EXPECT_EQ(m.distance, window);
        EXPECT_EQ(m.length, 256u);
    }
}

TEST(MatchFinder, NeverReportsBeyondTheLargestDistance)
{
    const std::uint32_t window = 1024;
    std::vector<std::uint8_t> stream(window + 1, 0);
    std::mt19937 rng(9);
    for (auto &b : stream)
        b = static_cast<std::uint8_t>(rng());
    stream.insert(stream.end(), stream.begin(), stream.begin() + 50); // distance window+1

    for (MatchStructure structure : kStructures) {
        MatchFinder finder({window, window, 256, 4096, 256, structure});
        finder.append(stream);
        finder.skip(window + 1);
        EXPECT_EQ(finder.findAndInsert().length, 0u);
    }
}

TEST(LzParser, TokensRebuildTheInputWhateverThePieceSizes)
{
    for (std::uint32_t window : {1u << 13, 1u << 16})
        for (MatchStructure structure : kStructures) {
            auto params = lhaLike(window, structure);
            params.finder.niceLength = 32; // matches longer than the tree looks are extended
            for (std::size_t size : {0u, 1u, 2u, 3u, 257u, 70000u, 600000u}) {
                const auto data = mixedData(size, static_cast<std::uint32_t>(size + window));
                // Under the sanitizers the slides past 256 and 512 KiB are crossed in
                // uneven pieces only; 70000 bytes try every piece size.
                const bool allPieces = !vexel::test::kSanitizedBuild || size < 600000;
                for (std::size_t piece : {std::size_t{1000}, std::size_t{65536}, data.size() + 1}) {
                    if (piece != 1000 && !allPieces)
                        continue;
                    const auto tokens = parseInPieces(data, params, piece);
                    expectTokensWithinBounds(tokens, params);
                    ASSERT_EQ(expandTokens(tokens), data) << size << " bytes, window " << window;
                }
            }
        }
}

TEST(LzParser, LongRunBecomesFewMaximalMatches)
{
    const std::vector<std::uint8_t> run(65536, 'x');
    for (MatchStructure structure : kStructures) {
        auto params = lhaLike(1u << 13, structure);
        params.finder.niceLength = 16;
        const auto tokens = parseInPieces(run, params, 4096);
        EXPECT_EQ(expandTokens(tokens), run);
        EXPECT_LT(tokens.size(), 65536u / 256 + 4);
    }
}

std::uint32_t matchAt(const std::vector<std::uint8_t> &s, std::size_t pos, std::size_t distance,
                      std::size_t limit)
{
    std::uint32_t len = 0;
    while (len < limit && s[pos - distance + len] == s[pos + len])
        ++len;
    return len;
}

// The earlier positions of `s` by their first three bytes, for a reference search that
// looks only where a match can be: the finder reports none shorter than three bytes, so
// where no earlier position shares three, the longest match that counts is none.
class ThreeByteStarts {
public:
    explicit ThreeByteStarts(const std::vector<std::uint8_t> &s) : s_(s) {}

    // Calls `f(q)` for each position q entered before `pos`, at most `window` back,
    // whose first three bytes are those at `pos`.
    template <typename F>
    void forEachWithin(std::size_t pos, std::size_t window, F f) const
    {
        if (pos + 3 > s_.size())
            return;
        const auto it = byKey_.find(keyAt(pos));
        if (it == byKey_.end())
            return;
        for (auto q = it->second.rbegin(); q != it->second.rend() && pos - *q <= window; ++q)
            f(*q);
    }

    // Enters `pos`; positions are entered in ascending order.
    void add(std::size_t pos)
    {
        if (pos + 3 <= s_.size())
            byKey_[keyAt(pos)].push_back(pos);
    }

private:
    std::uint32_t keyAt(std::size_t pos) const
    {
        return std::uint32_t{s_[pos]} | std::uint32_t{s_[pos + 1]} << 8
            | std::uint32_t{s_[pos + 2]} << 16;
    }

    const std::vector<std::uint8_t> &s_;
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> byKey_;
};

TEST(MatchFinder, UnboundedTreeSearchFindsTheLongestMatchOfTheTreeKeyOrMore)
{
    const std::uint32_t window = 4096;
    for (const std::uint32_t keyBytes : {4u, 7u}) {
        for (std::uint32_t seed = 0; seed < 3; ++seed) {
            // Past the window either way: positions fall out of reach.
            const auto s = mixedData(sanitizerScaled<std::size_t>(20000, 9000), seed);
            MatchFinderParams p = unboundedTrees(window, keyBytes);
            MatchFinder finder(p);
            finder.append(s);
            ThreeByteStarts starts(s);
            std::vector<LzMatch> all;
            for (std::size_t pos = 0; pos < s.size(); ++pos) {
                const LzMatch m = finder.findAllAndInsert(all);
                const std::size_t limit = std::min<std::size_t>(256, s.size() - pos);
                std::uint32_t longest = 0;
                starts.forEachWithin(pos, window, [&](std::size_t q) {
                    longest = std::max(longest, matchAt(s, pos, pos - q, limit));
                });
                starts.add(pos);
                const auto where = ::testing::Message()
                    << "key " << keyBytes << " seed " << seed << " at " << pos;
                // Matches as long as the tree key come from the tree and are exact;
                // shorter ones only from the newest positions sharing 3 and 4 bytes.
                if (longest >= keyBytes)
                    ASSERT_EQ(m.length, longest) << where;
                else
                    ASSERT_TRUE(m.length == 0 || (m.length >= 3 && m.length <= longest)) << where;
                // Every match reported is real and longer than the one before.
                std::uint32_t previous = 2;
                for (const LzMatch &each : all) {
                    ASSERT_GT(each.length, previous) << where;
                    ASSERT_EQ(matchAt(s, pos, each.distance, limit), each.length) << where;
                    previous = each.length;
                }
                finder.advance();
            }
        }
    }
}

TEST(MatchFinder, TwoMegabyteWindowKeyedByEightBytesFindsLongestMatchesFarBack)
{
    // A 2 MiB window has more tree slots than 4-byte short-match slots, and its roots are
    // fetched ahead of the cursor (up to the end of the input). Mixed data after 600 KiB of
    // noise, its pieces repeated from far back: every match of 8 bytes or more is the
    // longest there is, every shorter one is real.
    const std::uint32_t window = 1u << 21;
    std::mt19937 rng(21);
    std::vector<std::uint8_t> s(600 * 1024);
    for (auto &b : s)
        b = static_cast<std::uint8_t>(rng());
    const std::size_t noise = s.size();
    const auto mixed = mixedData(12000, 3);
    for (std::size_t at = 0; at < mixed.size(); at += 3000) {
        s.insert(s.end(), mixed.begin() + std::ptrdiff_t(at), mixed.begin() + std::ptrdiff_t(at + 3000));
        const std::size_t from = rng() % (noise - 500); // a piece of the noise, far back
        s.insert(s.end(), s.begin() + std::ptrdiff_t(from), s.begin() + std::ptrdiff_t(from + 400));
    }
    MatchFinderParams p{window, window - 3, 257, 1u << 30, 257, MatchStructure::BinaryTree};
    p.treeHashBytes = 8;
    MatchFinder finder(p);
    std::size_t appended = 0;
    // Every position by its first 8 bytes: a match of 8 or more starts with them.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> byKey;
    auto keyAt = [&s](std::size_t pos) {
        std::uint64_t k = 0;
        std::memcpy(&k, s.data() + pos, 8);
        return k;
    };
    std::vector<LzMatch> all;
    for (std::size_t pos = 0; pos < s.size(); ++pos, finder.advance()) {
        while (appended < s.size() && finder.available() < 300)
            appended += finder.append({s.data() + appended, std::min<std::size_t>(65536, s.size() - appended)});
        const LzMatch m = pos < noise ? finder.findAndInsert() : finder.findAllAndInsert(all);
        const std::size_t limit = std::min<std::size_t>(257, s.size() - pos);
        if (limit < 8)
            break;
        auto &same = byKey[keyAt(pos)];
        if (pos >= noise) {
            std::uint32_t longest = 0;
            for (const std::size_t q : same)
                longest = std::max(longest, matchAt(s, pos, pos - q, limit));
            const auto where = ::testing::Message() << "at " << pos;
            if (longest >= 8)
                ASSERT_EQ(m.length, longest) << where;
            else
                ASSERT_LT(m.length, 8u) << where;
            for (const LzMatch &each : all)
                ASSERT_EQ(matchAt(s, pos, each.distance, limit), each.length) << where;
        }
        same.push_back(pos);
    }
}

TEST(MatchFinder, PositionsLeftOutOfTheTreesKeepTheTreesExact)
{
    // Stretches entered only in the short-match hashes (the inside of long matches) are
    // missing from the trees; the trees still give the longest match among the
    // positions they hold, and every match reported is real.
    const std::uint32_t window = 4096;
    for (const std::uint32_t keyBytes : {4u, 6u}) {
        const auto s = mixedData(16000, keyBytes);
        MatchFinderParams p = unboundedTrees(window, keyBytes);
        MatchFinder finder(p);
        finder.append(s);
        ThreeByteStarts starts(s);
        std::vector<bool> inTree(s.size(), false);
        std::vector<LzMatch> all;
        for (std::size_t pos = 0; pos < s.size(); ++pos, finder.advance()) {
            if (pos % 100 >= 70) {
                finder.insertShortOnly();
                starts.add(pos);
                continue;
            }
            const LzMatch m = finder.findAllAndInsert(all);
            const std::size_t limit = std::min<std::size_t>(256, s.size() - pos);
            std::uint32_t longestInTree = 0, longest = 0;
            starts.forEachWithin(pos, window, [&](std::size_t q) {
                const std::uint32_t len = matchAt(s, pos, pos - q, limit);
                longest = std::max(longest, len);
                if (inTree[q])
                    longestInTree = std::max(longestInTree, len);
            });
            starts.add(pos);
            inTree[pos] = true;
            const auto where = ::testing::Message() << "key " << keyBytes << " at " << pos;
            if (longestInTree >= keyBytes) {
                ASSERT_GE(m.length, longestInTree) << where;
            }
            ASSERT_LE(m.length, longest) << where;
            for (const LzMatch &each : all)
                ASSERT_EQ(matchAt(s, pos, each.distance, limit), each.length) << where;
        }
    }
}

// Finders that differ only in their search lanes, over `s` appended in uneven pieces,
// so that the lanes meet the end of the bytes appended so far and the buffer slides.
struct LanePair {
    LanePair(const std::vector<std::uint8_t> &s, MatchFinderParams p, std::uint32_t lanes)
        : data(s), single(p), side(withLanes(p, lanes))
    {
    }
    static MatchFinderParams withLanes(MatchFinderParams p, std::uint32_t lanes)
    {
        p.lanes = lanes;
        return p;
    }
    // Keeps both finders fed up to a little past `pos`, piece sizes varying.
    void feed(std::size_t pos)
    {
        while (appended < data.size() && appended < pos + 200 + (pos * 7919) % 900) {
            const std::size_t n = std::min<std::size_t>(1 + (appended * 31) % 5000, data.size() - appended);
            const std::span piece(data.data() + appended, n);
            const std::size_t a = single.append(piece), b = side.append(piece);
            ASSERT_EQ(a, b);
            if (a == 0)
                break;
            appended += a;
        }
    }
    const std::vector<std::uint8_t> &data;
    MatchFinder single, side;
    std::size_t appended = 0;
};

TEST(MatchFinder, SearchesSideBySideFindWhatOneAtATimeFinds)
{
    // Past 256 KiB the buffer slides; 8-byte keys take the 4-byte short-match table too.
    // Where the largest distance nearly fills the ring (as in LZX), the positions entered
    // ahead reuse the slots of the farthest ones: matches that far are given up, the
    // rest must be the same.
    for (const std::uint32_t keyBytes : {4u, 8u}) {
        for (const std::uint32_t lanes : {2u, MatchFinder::kMaxLanes}) {
            for (const std::uint32_t reach : {4000u, 4093u}) {
            // Under the sanitizers (several times slower) two of the eight runs slide,
            // between them both key lengths, lane counts and reaches; the others stop
            // before, well past the window.
            const bool slides = (keyBytes == 4) == (lanes == 2) && (keyBytes == 4) == (reach == 4000);
            auto s = mixedData(sanitizerScaled<std::size_t>(300000, slides ? 268000 : 30000),
                               lanes + keyBytes);
            s.insert(s.end(), s.begin() + 1000, s.begin() + 1003); // ends in a short match
            MatchFinderParams p{4096, reach, 257, 48, 128, MatchStructure::BinaryTree};
            p.treeHashBytes = keyBytes;
            LanePair pair(s, p, lanes);
            for (std::size_t pos = 0; pos < s.size(); ++pos) {
                pair.feed(pos);
                const LzMatch one = pair.single.findAndInsert();
                const LzMatch many = pair.side.findAndInsert();
                const auto where = ::testing::Message() << "key " << keyBytes << " lanes "
                                                        << lanes << " reach " << reach << " at " << pos;
                if (reach + lanes <= 4096 || one.distance + lanes <= 4096) {
                    ASSERT_EQ(many.length, one.length) << where;
                    ASSERT_EQ(many.distance, one.distance) << where;
                }
                if (many.length != 0) {
                    ASSERT_GE(many.distance, 1u) << where;
                    ASSERT_LE(many.distance, reach) << where;
                    ASSERT_EQ(matchAt(s, pos, many.distance, std::min<std::size_t>(257, s.size() - pos)),
                              many.length) << where;
                }
                pair.single.advance();
                pair.side.advance();
            }
            }
        }
    }
}

TEST(MatchFinder, WithoutThreeByteMatchesEveryMatchHasFourBytesOrMore)
{
    // LZX leaves 3-byte matches out: the 4-byte hash alone then gives the matches
    // shorter than the tree key, and a slot another string shares must not slip a
    // 3-byte match through. From the key on, the tree still finds the longest.
    const std::uint32_t window = 4096;
    for (const std::uint32_t keyBytes : {4u, 8u}) {
        const auto s = mixedData(sanitizerScaled<std::size_t>(30000, 12000), 70 + keyBytes);
        MatchFinderParams p = unboundedTrees(window, keyBytes);
        p.threeByteMatches = false;
        MatchFinder finder(p);
        ASSERT_EQ(finder.append(s), s.size());
        std::size_t belowKey = 0;
        for (std::size_t pos = 0; pos < s.size(); ++pos, finder.advance()) {
            const LzMatch m = finder.findAndInsert();
            const std::size_t limit = std::min<std::size_t>(256, s.size() - pos);
            std::uint32_t longest = 0;
            for (std::size_t d = 1; d <= std::min<std::size_t>(pos, window); ++d)
                longest = std::max(longest, matchAt(s, pos, d, limit));
            const auto where = ::testing::Message() << "key " << keyBytes << " at " << pos;
            if (m.length != 0) {
                ASSERT_GE(m.length, 4u) << where;
                ASSERT_LE(m.distance, std::min<std::size_t>(pos, window)) << where;
                ASSERT_EQ(matchAt(s, pos, m.distance, limit), m.length) << where;
                belowKey += m.length < keyBytes;
            }
            if (longest >= keyBytes) {
                ASSERT_EQ(m.length, longest) << where;
            }
        }
        if (keyBytes > 4) {
            EXPECT_GT(belowKey, 100u);
        }
    }
}

TEST(MatchFinder, SearchesAheadOverStretchesLeftOutKeepTheTreesExact)
{
    // Stretches left out of the trees (insertShortOnly, the inside of long matches) may
    // have been searched and entered ahead already: the side-by-side finder then holds
    // those positions too, so its matches are real and, from the tree key on, at least
    // as long as the longest among the positions a one-at-a-time finder enters.
    const std::uint32_t window = 4096;
    for (const std::uint32_t keyBytes : {4u, 6u}) {
        const auto s = mixedData(sanitizerScaled<std::size_t>(20000, 9000), 40 + keyBytes);
        MatchFinderParams p = unboundedTrees(window, keyBytes);
        p.lanes = MatchFinder::kMaxLanes;
        MatchFinder finder(p);
        std::vector<bool> entered(s.size(), false); // by a finder searching one at a time
        std::size_t appended = 0;
        std::size_t foundAhead = 0;
        for (std::size_t pos = 0; pos < s.size(); ++pos, finder.advance()) {
            while (appended < s.size() && appended < pos + 300 + (pos * 7919) % 700)
                appended += finder.append({s.data() + appended,
                                           std::min<std::size_t>(1 + appended % 3000, s.size() - appended)});
            if (pos % 100 >= 70 || pos % 37 == 5) {
                // Inside a long match the LZX parser takes what was searched ahead
                // already, and leaves the rest out like insertShortOnly().
                if (pos % 2 == 0) {
                    const LzMatch m = finder.findAheadOrInsertShort();
                    if (m.length != 0) {
                        ++foundAhead;
                        ASSERT_LE(m.distance, std::min<std::size_t>(pos, window)) << pos;
                        ASSERT_EQ(matchAt(s, pos, m.distance, std::min<std::size_t>(256, s.size() - pos)),
                                  m.length) << "key " << keyBytes << " at " << pos;
                    }
                } else {
                    finder.insertShortOnly();
                }
                continue;
            }
            if (pos % 53 == 11) { // skip() enters what the lanes have not, and moves on;
                finder.skip(1);   // the position after it is left out altogether
                entered[pos++] = true;
                continue;
            }
            const LzMatch m = finder.findAndInsert();
            const std::size_t limit = std::min<std::size_t>(256, s.size() - pos);
            std::uint32_t longestEntered = 0, longest = 0;
            for (std::size_t d = 1; d <= std::min<std::size_t>(pos, window); ++d) {
                const std::uint32_t len = matchAt(s, pos, d, limit);
                longest = std::max(longest, len);
                if (entered[pos - d])
                    longestEntered = std::max(longestEntered, len);
            }
            entered[pos] = true;
            const auto where = ::testing::Message() << "key " << keyBytes << " at " << pos;
            if (m.length != 0) {
                ASSERT_EQ(matchAt(s, pos, m.distance, limit), m.length) << where;
            }
            if (longestEntered >= keyBytes) {
                ASSERT_GE(m.length, longestEntered) << where;
            }
            ASSERT_LE(m.length, longest) << where;
        }
        EXPECT_GT(foundAhead, 100u) << "key " << keyBytes;
    }
}

TEST(LzParser, ShortFarMatchesBecomeLiterals)
{
    auto params = lhaLike(1u << 16);
    params.shortMatchMaxDistance = 100;
    std::vector<std::uint8_t> data{'a', 'b', 'c'};
    std::mt19937 rng(1);
    for (int i = 0; i < 500; ++i)
        data.push_back(static_cast<std::uint8_t>('d' + rng() % 200));
    data.insert(data.end(), {'a', 'b', 'c', 0xFF});
    const auto tokens = parseInPieces(data, params, data.size());
    EXPECT_TRUE(std::all_of(tokens.end() - 4, tokens.end(),
                            [](const LzToken &t) { return t.isLiteral(); }));
}

namespace {

// Offers a match at a remembered distance when the finder found nothing, and
// records what it is told was committed.
class RepeatHook : public LzMatchHook {
public:
    void refine(const std::uint8_t *cur, std::uint32_t available, std::uint32_t history,
                LzMatch &best) override
    {
        ++refined;
        if (best.length == 0 && lastDistance != 0 && lastDistance <= history && available >= 2
            && cur[0] == cur[-static_cast<std::ptrdiff_t>(lastDistance)]
            && cur[1] == cur[1 - static_cast<std::ptrdiff_t>(lastDistance)])
            best = {2, lastDistance};
    }
    void committed(const LzToken &t) override
    {
        committedTokens.push_back(t);
        if (!t.isLiteral())
            lastDistance = t.distance;
    }
    std::uint32_t lastDistance = 0;
    std::size_t refined = 0;
    std::vector<LzToken> committedTokens;
};

} // namespace

TEST(LzParser, HookSeesEveryCommittedTokenAndMayOfferShortMatches)
{
    auto params = lhaLike(1u << 15);
    params.minMatch = 2;
    const auto data = mixedData(200000, 77);
    RepeatHook hook;
    LzParser parser(params, &hook);
    std::vector<LzToken> tokens;
    parser.feed(data, tokens);
    parser.finish(tokens);
    EXPECT_GT(hook.refined, 0u);
    ASSERT_EQ(hook.committedTokens.size(), tokens.size());
    EXPECT_EQ(expandTokens(tokens), data);
    EXPECT_TRUE(std::any_of(tokens.begin(), tokens.end(),
                            [](const LzToken &t) { return t.value == 2 && !t.isLiteral(); }));
}

namespace {

// Literals cost 8 bits, matches 20: any match of 3 or more pays off.
class FlatPrices : public LzPriceModel {
public:
    std::uint32_t literalPrice(std::uint8_t) const override { return 8; }
    std::uint32_t distancePrice(std::uint32_t) const override { return 14; }
    std::uint32_t lengthPrice(std::uint32_t) const override { return 6; }
    void learn(std::span<const LzToken> tokens) override
    {
        learned += tokens.size();
        ++lessons;
    }
    std::size_t learned = 0;
    std::size_t lessons = 0; // one per segment, and one more for the warm-up
};

std::vector<LzToken> parseOptimal(const std::vector<std::uint8_t> &data, LzOptimalParams params,
                                  LzPriceModel &model, std::size_t piece)
{
    LzOptimalParser parser(params, model);
    std::vector<LzToken> tokens;
    for (std::size_t at = 0; at < data.size(); at += piece)
        parser.feed({data.data() + at, std::min(piece, data.size() - at)}, tokens);
    parser.finish(tokens);
    return tokens;
}

LzOptimalParams optimalLike(std::uint32_t window)
{
    LzOptimalParams p;
    p.finder = lhaLike(window, MatchStructure::BinaryTree).finder;
    p.finder.maxChain = 16;
    p.finder.niceLength = 32;
    p.takeLength = 32;
    p.segmentSize = 5000;
    return p;
}

} // namespace

TEST(LzOptimalParser, TokensRebuildTheInputAcrossSegmentsAndPieces)
{
    for (std::uint32_t window : {1u << 13, 1u << 16}) {
        const auto params = optimalLike(window);
        for (std::size_t size : {0u, 1u, 5u, 4999u, 5000u, 5001u, 300000u}) {
            const auto data = mixedData(size, static_cast<std::uint32_t>(size * 3 + window));
            for (std::size_t piece : {std::size_t{777}, data.size() + 1}) {
                FlatPrices prices;
                const auto tokens = parseOptimal(data, params, prices, piece);
                ASSERT_EQ(expandTokens(tokens), data) << size << " bytes";
                for (const LzToken &t : tokens)
                    if (!t.isLiteral()) {
                        ASSERT_GE(t.value, 3);
                        ASSERT_LE(t.value, 256);
                        ASSERT_LE(t.distance, window);
                    }
                EXPECT_EQ(prices.learned != 0, size != 0);
            }
        }
    }
}

TEST(LzOptimalParser, CheapestPathBeatsGreedyWhereGreedyIsWrong)
{
    // "abcdefgh" then "abc" + "bcdefghX"..: greedy takes "abc" and is stuck with
    // literals; the cheapest path takes a literal "a" and then the long match.
    std::vector<std::uint8_t> data;
    const std::string text = "xyzabcQQ....bcdefghijklmnop....";
    data.assign(text.begin(), text.end());
    const std::string tail = "abcdefghijklmnop";
    data.insert(data.end(), tail.begin(), tail.end());
    FlatPrices prices;
    const auto tokens = parseOptimal(data, optimalLike(1u << 13), prices, data.size());
    ASSERT_EQ(expandTokens(tokens), data);
    std::size_t longest = 0;
    for (const LzToken &t : tokens)
        if (!t.isLiteral())
            longest = std::max<std::size_t>(longest, t.value);
    EXPECT_EQ(longest, 15u); // "bcdefghijklmnop"
    EXPECT_EQ(tokens.back().value, 15u);
}

TEST(LzOptimalParser, LongRunsAreTakenWholeAndStayFast)
{
    const std::vector<std::uint8_t> run(1u << 20, 0);
    FlatPrices prices;
    const auto tokens = parseOptimal(run, optimalLike(1u << 16), prices, 1u << 16);
    EXPECT_EQ(expandTokens(tokens), run);
    EXPECT_LT(tokens.size(), (1u << 20) / 200);
}

// Data with many matches at every position (two letters at random: every short string
// recurs at many distances) fills a segment's room for matches before its positions
// run out: the segment ends early, and the tokens still rebuild the input, across
// pieces of any size.
TEST(LzOptimalParser, SegmentsRichInMatchesEndEarlyAndStillRebuildTheInput)
{
    std::mt19937 rng(14);
    std::vector<std::uint8_t> data(200000);
    for (auto &b : data)
        b = static_cast<std::uint8_t>('a' + rng() % 2);
    const auto params = optimalLike(1u << 16);
    const std::size_t fullSegments = data.size() / params.segmentSize;
    for (std::size_t piece : {std::size_t{1000}, data.size()}) {
        FlatPrices prices;
        const auto tokens = parseOptimal(data, params, prices, piece);
        ASSERT_EQ(expandTokens(tokens), data);
        EXPECT_GT(prices.lessons, fullSegments + 10);
    }
    // Ordinary data keeps its full segments.
    FlatPrices prices;
    const auto mixed = mixedData(200000, 15);
    ASSERT_EQ(expandTokens(parseOptimal(mixed, params, prices, 1000)), mixed);
    EXPECT_LE(prices.lessons, fullSegments + 2);
}
