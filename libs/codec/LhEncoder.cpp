#include "LhEncoder.h"

#include "LhBlockWriter.h"
#include "LzOptimalParser.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace vexel::codec {

namespace {

// Tree steps per position and the match length that ends a search. Trees keyed by
// 7 bytes stay shallow even on text, where 4-byte keys made every search run the
// full depth. 6 bytes: the size of 4-byte keys in 15% less time; 7 bytes: another
// 15% less for 0.4% more on text; 8 bytes: 2% larger. The depth hardly matters now.
constexpr std::uint32_t kDefaultChain = 16;
constexpr std::uint32_t kDefaultNice = 32;
constexpr std::uint32_t kTreeHashBytes = 7;
// Blocks start as large as the format allows and are halved (down to 1/8) where
// the halves code better apart, so the tables follow the data where it changes.
constexpr std::uint32_t kDefaultBlockTokens = lh::kMaxBlockTokens;
constexpr int kSplitLevels = 3;
// Each thread parses a chunk; a pair takes well under a second, so a stop request
// is seen in time. Chunk ends cut matches, which costs a few bytes per chunk.
constexpr std::size_t kDefaultChunk = std::size_t{1} << 19;
constexpr std::size_t kLargestChunk = std::size_t{1} << 28;
// A job looks whether the stream was dropped after each piece of this size (a few
// milliseconds of work, tens on a busy machine where the job gets a fraction of a
// core), so a stopped run is not held up by a background parse.
constexpr std::size_t kFeedPiece = std::size_t{1} << 13;

// `reach`: the bytes a chunk's finder holds at most, its history and its data. The
// tables of the whole dictionary, made and touched for every small file, took over half
// of the time; fitted to the chunk they shrink with it.
LzOptimalParams parserParams(const LhMethodInfo &m, const LhEncoderOptions &o, bool warmUp,
                             std::size_t reach)
{
    constexpr std::uint32_t kSmallestWindow = 1u << 10;
    LzOptimalParams p;
    p.finder.windowSize = 1u << m.dictBits;
    p.finder.maxDistance = 1u << m.dictBits;
    p.finder.fitToStream(reach, kSmallestWindow);
    p.finder.maxMatch = lh::kMaxMatch;
    p.finder.maxChain = o.maxChain ? o.maxChain : kDefaultChain;
    p.finder.niceLength = o.niceLength ? o.niceLength : kDefaultNice;
    p.finder.structure = MatchStructure::BinaryTree;
    p.finder.treeHashBytes = kTreeHashBytes;
    p.minMatch = lh::kMinMatch;
    p.takeLength = p.finder.niceLength;
    p.warmUp = warmUp;
    return p;
}

// A chunk's parser is primed with the input before it, which in a pair's second chunk
// comes from the first: a chunk shorter than the dictionary would leave it short.
std::size_t chunkSize(const LhMethodInfo &m, std::size_t requested)
{
    const std::size_t chunk = requested ? requested : kDefaultChunk;
    if (chunk < (std::size_t{1} << m.dictBits) || chunk > kLargestChunk)
        throw std::invalid_argument("an -lhN- chunk holds a dictionary to 256 MiB of input");
    return chunk;
}

} // namespace

// One chunk's parse: its own parser and its own copy of the prices. The parser hands
// over a segment's commands at a time; they are packed at once, so no more than a
// segment is ever held unpacked.
struct LhEncoder::ChunkJob {
    std::span<const std::uint8_t> history;
    std::span<const std::uint8_t> data;
    LzOptimalParams params;
    LhPriceModel prices;
    LhPackedCommands commands;
    std::vector<LzToken> *segment;

    void run(const std::atomic<bool> &abandoned, const std::function<bool()> &stopRequested)
    {
        LzOptimalParser parser(params, prices);
        parser.prime(history);
        for (std::size_t at = 0; at < data.size(); at += kFeedPiece) {
            if (abandoned.load(std::memory_order_relaxed) || (stopRequested && stopRequested()))
                return;
            parser.feed(data.subspan(at, std::min(kFeedPiece, data.size() - at)), *segment);
            pack();
        }
        parser.finish(*segment);
        pack();
    }

    void pack()
    {
        commands.append(*segment);
        segment->clear();
    }
};

LhEncoder::LhEncoder(LhMethod method, const LhEncoderOptions &options)
    : method_(lhMethodInfo(method)), options_(options), prices_(method_),
      chunk_(chunkSize(method_, options.chunkBytes)),
      blockTokens_(std::clamp<std::uint32_t>(
          options.blockTokens ? options.blockTokens : kDefaultBlockTokens, 1, lh::kMaxBlockTokens)),
      bits_(BitPacking::MsbFirstBytes)
{
    pending_.reserve(chunk_ * kChunksAtOnce);
}

LhEncoder::~LhEncoder()
{
    abandoned_ = true;
    for (std::thread &t : workers_)
        t.join();
}

void LhEncoder::write(std::span<const std::uint8_t> data)
{
    while (!data.empty() && !abandoned_.load()) {
        const std::size_t n = std::min(data.size(), chunk_ * kChunksAtOnce - pending_.size());
        pending_.insert(pending_.end(), data.begin(),
                        data.begin() + static_cast<std::ptrdiff_t>(n));
        data = data.subspan(n);
        if (pending_.size() == chunk_ * kChunksAtOnce) {
            awaitParse();
            startParse();
            writeBlocks(false);
            // The pair just written lent its literals from here; now it takes new input,
            // its room made at once (grown piece by piece it would splinter the heap).
            pending_.clear();
            pending_.reserve(chunk_ * kChunksAtOnce);
        }
    }
}

void LhEncoder::finish()
{
    if (abandoned_.load())
        return;
    awaitParse();
    startParse();
    writeBlocks(false);
    awaitParse();
    writeBlocks(true);
    if (abandoned_.load())
        return; // a dropped stream gets not even its last partial byte
    bits_.alignToUnit();
    passOutput();
}

void LhEncoder::startParse()
{
    if (pending_.empty())
        return;
    // The jobs read parsing_ and history_, which stay untouched until awaitParse().
    // pending_ now holds the pair parsed before, whose blocks are still to be coded.
    std::swap(parsing_, pending_);
    const std::size_t dictionary = std::size_t{1} << method_.dictBits;
    const std::span<const std::uint8_t> all(parsing_);
    for (std::size_t at = 0; at < all.size(); at += chunk_) {
        const auto history = at == 0
            ? std::span<const std::uint8_t>(history_)
            : all.subspan(at - std::min(at, dictionary), std::min(at, dictionary));
        const auto data = all.subspan(at, std::min(chunk_, all.size() - at));
        const LzOptimalParams params =
            parserParams(method_, options_, !pricesLearned_, history.size() + data.size());
        // Room is made here, on this thread, for the most the chunk and a segment can
        // give: a job never grows them, so no thread's heap grows with the stream.
        std::vector<LzToken> &segment = segments_[jobs_.size()];
        segment.reserve(params.segmentSize + params.finder.maxMatch);
        jobs_.push_back({history, data, params, prices_, takeCommandStore(data.size()), &segment});
    }
    for (ChunkJob &job : jobs_)
        workers_.emplace_back([&job, this] { job.run(abandoned_, options_.stopRequested); });
}

void LhEncoder::awaitParse()
{
    for (std::thread &t : workers_)
        t.join();
    workers_.clear();
    if (jobs_.empty())
        return;
    for (ChunkJob &job : jobs_)
        parsed_.push_back({std::move(job.commands), job.data});
    prices_ = jobs_.back().prices;
    pricesLearned_ = true;
    jobs_.clear();
    keepHistory();
}

// Keeps the last dictionary's worth of input as the next chunk's history. Only that
// much is copied: history_ never grows past a dictionary, whatever was parsed.
void LhEncoder::keepHistory()
{
    const std::size_t dictionary = std::size_t{1} << method_.dictBits;
    const std::size_t fromParsed = std::min(parsing_.size(), dictionary);
    const std::size_t kept = std::min(history_.size(), dictionary - fromParsed);
    history_.erase(history_.begin(), history_.end() - static_cast<std::ptrdiff_t>(kept));
    history_.insert(history_.end(), parsing_.end() - static_cast<std::ptrdiff_t>(fromParsed),
                    parsing_.end());
}

void LhEncoder::writeSplit(std::span<const LzToken> tokens, int levels)
{
    const std::size_t half = tokens.size() / 2;
    if (levels > 0 && half >= 1024) {
        const double whole = estimateLhBlockBits(tokens, method_);
        const double apart = estimateLhBlockBits(tokens.first(half), method_)
            + estimateLhBlockBits(tokens.subspan(half), method_);
        if (apart < whole) {
            writeSplit(tokens.first(half), levels - 1);
            writeSplit(tokens.subspan(half), levels - 1);
            return;
        }
    }
    writeLhBlock(bits_, tokens, method_);
}

LhPackedCommands LhEncoder::takeCommandStore(std::size_t inputBytes)
{
    LhPackedCommands store;
    if (!spare_.empty()) {
        store = std::move(spare_.back());
        spare_.pop_back();
    }
    store.reset(inputBytes);
    return store;
}

void LhEncoder::drop()
{
    abandoned_ = true;
    parsed_.clear();
    tokens_.clear();
}

// The blocks of a pair take a while to code (tens of milliseconds on a busy machine),
// so a stop is looked at before each: the stream is then dropped, and the running
// parse with it.
bool LhEncoder::dropOnStop()
{
    if (!options_.stopRequested || !options_.stopRequested())
        return false;
    drop();
    return true;
}

bool LhEncoder::passOutput()
{
    std::vector<std::uint8_t> &bytes = bits_.bytes();
    if (!options_.output || bytes.empty())
        return true;
    const bool taken = options_.output(bytes);
    bytes.clear();
    if (!taken)
        drop();
    return taken;
}

bool LhEncoder::writeBlock()
{
    if (dropOnStop())
        return false;
    writeSplit(tokens_, kSplitLevels);
    tokens_.clear();
    return passOutput();
}

// Blocks are cut every blockTokens_ commands of the stream, whichever chunks they
// come from; each is unpacked into tokens_, so no more than a block is unpacked at once.
// The literals come from the chunks' input, which stays untouched until this is done.
void LhEncoder::writeBlocks(bool final)
{
    if (abandoned_.load())
        return; // a dropped stream codes nothing more, whatever its parse left behind
    tokens_.reserve(blockTokens_);
    for (ParsedChunk &chunk : parsed_) {
        LhPackedCommands::Cursor cursor;
        for (bool more = true; more;) {
            more = chunk.commands.unpack(cursor, blockTokens_, chunk.input, tokens_);
            if (tokens_.size() == blockTokens_ && !writeBlock())
                return;
        }
        spare_.push_back(std::move(chunk.commands));
    }
    parsed_.clear();
    if (final && !tokens_.empty())
        writeBlock();
}

} // namespace vexel::codec
