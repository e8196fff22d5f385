#include "LzxEncoder.h"

#include "CabFormat.h"
#include "LzxE8.h"

#include <numeric>
#include <stdexcept>

namespace cab {

using namespace lzx;
using vexel::codec::BitPacking;
using vexel::codec::BitWriter;
using vexel::codec::LzToken;

namespace {

// A frame coded in LZX may grow by this much before storing it is the better choice.
constexpr std::size_t kStoredFrameOverhead = 16;
// Frames looked at before the x86 translation is chosen for the whole folder (1 MiB).
constexpr std::uint32_t kE8DecisionFrames = 32;

} // namespace

LzxEncoder::LzxEncoder(const Options &options) : options_(options)
{
    if (options.windowBits < kMinWindowBits || options.windowBits > kMaxWindowBits)
        throw std::invalid_argument("LZX window must be 2^15 to 2^21 bytes");
    if (options_.framesPerBlock == 0)
        options_.framesPerBlock = 1;
}

LzxEncoder::~LzxEncoder() = default;

std::uint16_t LzxEncoder::method() const { return lzxMethod(options_.windowBits); }

// Longer tree keys make smaller trees (fewer steps per search); matches shorter than
// the key then come only from the newest positions sharing 3 and 4 bytes, which small
// windows feel most (see Options::treeHashBytes).
std::uint32_t LzxEncoder::treeHashBytes() const
{
    constexpr int kLongKeyWindowBits = 18;
    if (options_.treeHashBytes != 0)
        return options_.treeHashBytes;
    return options_.windowBits >= kLongKeyWindowBits ? 8 : 6;
}

void LzxEncoder::beginFolder(FrameSink sink, std::uint64_t expectedBytes)
{
    sink_ = std::move(sink);
    parser_ = std::make_unique<LzxOptimalParser>(options_.windowBits, options_.maxChain,
                                                 options_.niceLength, treeHashBytes(),
                                                 expectedBytes, options_.searchOnItsOwnThread);
    parser_->setStopCheck(options_.stopRequested);
    tokens_.clear();
    pending_.clear();
    // The first parse waits for the x86 decision's MiB: room for it (and a frame of
    // lookahead) from the start instead of growing by copies. Pages not yet written
    // are not mapped, so a small folder costs no more.
    constexpr std::size_t kFirstParse = (kE8DecisionFrames + 1) * std::size_t{kFrameSize};
    pending_.reserve(kFirstParse);
    // A block's items, and the tokens waiting (a block, the frame parsed past it and
    // the rest of a match cut at its end), never number more than its bytes. Room for
    // them from the start: grown by doubling, each copy wrote to fresh pages again,
    // and a page's first write costs microseconds.
    const std::size_t blockBytes = std::size_t{options_.framesPerBlock} * kFrameSize;
    items_.reserve(blockBytes);
    tokens_.reserve(blockBytes + kFrameSize + 1);
    frameSizes_.clear();
    blockStart_ = tokenEnd_ = 0;
    frameIndex_ = 0;
    e8Decided_ = false;
    e8_ = false;
    headerWritten_ = false;
    stopped_ = false;
    offsets_ = {};
    trees_ = {};
}

void LzxEncoder::addFrame(const std::uint8_t *data, std::size_t size)
{
    if (stopped_)
        return;
    const std::size_t at = pending_.size();
    pending_.insert(pending_.end(), data, data + size);
    frameSizes_.push_back(std::uint32_t(size));
    frameIndex_++;
    if (e8Decided_) {
        translateAndParse(at, frameIndex_ - 1);
    } else if (frameIndex_ == kE8DecisionFrames) {
        decideE8();
    }
}

// Executables start with headers and tables, so the choice waits for their code.
void LzxEncoder::decideE8()
{
    e8_ = options_.e8 == E8Mode::On
        || (options_.e8 == E8Mode::Auto && looksLikeX86Code(pending_.data(), pending_.size()));
    e8Decided_ = true;
    translateAndParse(0, 0);
}

// Translates the frames from byte `at` (frame `firstFrame`) of the pending data on,
// parses them, and codes every block that is then complete.
void LzxEncoder::translateAndParse(std::size_t at, std::uint32_t firstFrame)
{
    if (e8_)
        for (std::size_t p = at, frame = firstFrame; p < pending_.size(); p += kFrameSize, ++frame)
            translateE8Frame(pending_.data() + p,
                             std::min<std::size_t>(kFrameSize, pending_.size() - p),
                             std::uint32_t(frame));
    // A frame at a time: the first parse covers a whole MiB, too long to miss a stop.
    // Every block is coded as soon as its tokens are in, so that the frames after it
    // are priced with its code lengths (in the first MiB too, not only after it), and
    // the tokens waiting stay within a block or two instead of a MiB's worth of fresh
    // pages. Coding a block drops its bytes from the front of pending_.
    for (std::uint64_t pos = blockStart_ + at; pos < blockStart_ + pending_.size();) {
        if (options_.stopRequested && options_.stopRequested()) {
            stopped_ = true;
            return;
        }
        const std::size_t p = std::size_t(pos - blockStart_);
        const std::size_t size = std::min<std::size_t>(kFrameSize, pending_.size() - p);
        const std::size_t before = tokens_.size();
        parser_->feed(std::span(pending_).subspan(p, size), tokens_);
        if (parser_->stopped()) {
            stopped_ = true;
            return;
        }
        pos += size;
        countNewTokens(before);
        encodeReadyBlocks(false);
        if (stopped_)
            return;
    }
}

void LzxEncoder::endFolder()
{
    if (parser_ && !stopped_) {
        if (!e8Decided_)
            decideE8();
        // decideE8() parses up to a MiB and may have met a stop on the way.
        if (!stopped_)
            parser_->endInput();
        // The frames left are parsed one at a time, each block coded as soon as its
        // tokens are in, as while the folder was being fed.
        for (std::size_t before = tokens_.size(); !stopped_ && parser_->parseNextFrame(tokens_);
             before = tokens_.size()) {
            countNewTokens(before);
            encodeReadyBlocks(false);
        }
        stopped_ = stopped_ || parser_->stopped();
        if (!stopped_)
            encodeReadyBlocks(true);
    }
    parser_.reset();
}

// Moves the end of the parsed bytes past the tokens from index `before` on.
void LzxEncoder::countNewTokens(std::size_t before)
{
    for (std::size_t i = before; i < tokens_.size(); ++i)
        tokenEnd_ += tokens_[i].isLiteral() ? 1 : tokens_[i].value;
}

void LzxEncoder::encodeReadyBlocks(bool final)
{
    while (!frameSizes_.empty()) {
        const std::uint32_t frames =
            std::min<std::uint32_t>(options_.framesPerBlock, std::uint32_t(frameSizes_.size()));
        if (!final && frames < options_.framesPerBlock)
            return;
        const std::uint64_t blockEnd =
            blockStart_ + std::accumulate(frameSizes_.begin(), frameSizes_.begin() + frames, 0ull);
        // Without the whole block parsed, wait for the next frame's lookahead.
        if (!final && tokenEnd_ < blockEnd)
            return;
        // The first MiB's eight blocks are coded at once, a good part of a second on
        // a busy machine: a stop is looked at before each.
        if (options_.stopRequested && options_.stopRequested()) {
            stopped_ = true;
            return;
        }
        encodeBlock(frames);
    }
}

void LzxEncoder::appendPiece(std::uint64_t pos, std::uint32_t distance, std::uint32_t length)
{
    if (length == 1) // a match cut down to one byte is sent as that byte
        items_.push_back({0, pending_[pos - blockStart_], 0});
    else
        items_.push_back(offsets_.code(distance, std::uint16_t(length)));
}

// The block's tokens as items, with matches cut at frame ends (readers want every
// match to end inside its frame); a match reaching past the block leaves its rest
// as the first token of the next block.
void LzxEncoder::takeBlockItems(std::uint64_t blockEnd)
{
    items_.clear();
    std::uint64_t pos = blockStart_;
    std::size_t used = 0;
    for (; used < tokens_.size() && pos < blockEnd; ++used) {
        const LzToken &t = tokens_[used];
        if (t.isLiteral()) {
            items_.push_back({0, std::uint8_t(t.value), 0});
            ++pos;
            continue;
        }
        std::uint32_t left = t.value;
        while (left > 0 && pos < blockEnd) {
            const std::uint64_t frameEnd = (pos / kFrameSize + 1) * kFrameSize;
            const std::uint32_t piece =
                std::uint32_t(std::min<std::uint64_t>(left, frameEnd - pos));
            appendPiece(pos, t.distance, piece);
            pos += piece;
            left -= piece;
        }
        if (left > 0) { // the rest belongs to the next block
            tokens_[used] = left == 1 ? LzToken{0, pending_[pos - blockStart_]}
                                      : LzToken{t.distance, std::uint16_t(left)};
            break;
        }
    }
    tokens_.erase(tokens_.begin(), tokens_.begin() + std::ptrdiff_t(used));
}

BitWriter LzxEncoder::newFrameWriter()
{
    BitWriter out(BitPacking::MsbFirstLe16Words);
    if (!headerWritten_) {
        out.put(e8_ ? 1 : 0, 1);
        if (e8_)
            out.put(kE8TranslationSize, 32);
    }
    return out;
}

void LzxEncoder::encodeBlock(std::uint32_t frameCount)
{
    const std::span<const std::uint32_t> sizes(frameSizes_.data(), frameCount);
    const std::uint64_t blockBytes = std::accumulate(sizes.begin(), sizes.end(), 0ull);
    const RepeatedOffsets offsetsBefore = offsets_;
    const TreeLengths treesBefore = trees_;

    takeBlockItems(blockStart_ + blockBytes);
    BitWriter out = newFrameWriter();
    FramePayloads frames =
        writeCompressedBlock(out, items_, sizes, mainTreeSize(options_.windowBits), trees_);

    std::size_t packed = 0;
    bool fits = true;
    for (const auto &f : frames) {
        packed += f.size();
        fits = fits && f.size() <= kMaxDataSize;
    }
    if (!fits || packed > blockBytes + kStoredFrameOverhead * frameCount) {
        // Storing is smaller here (or the only way to keep every frame within the
        // readers' limit): the reader then keeps the trees and offsets of before.
        offsets_ = offsetsBefore;
        trees_ = treesBefore;
        frames.clear();
        out = newFrameWriter();
        std::size_t at = 0;
        for (std::uint32_t size : sizes) {
            frames.push_back(
                writeUncompressedFrame(out, std::span(pending_).subspan(at, size), offsets_));
            at += size;
        }
    }
    headerWritten_ = true;
    if (parser_) // the blocks still to parse are priced like this one
        parser_->setCosts(
            std::span(trees_.main).first(std::size_t(mainTreeSize(options_.windowBits))),
            trees_.length);
    std::size_t i = 0;
    for (const auto &f : frames)
        sink_(f.data(), f.size(), sizes[i++]);

    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(blockBytes));
    frameSizes_.erase(frameSizes_.begin(), frameSizes_.begin() + frameCount);
    blockStart_ += blockBytes;
}

} // namespace cab
