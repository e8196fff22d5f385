// LZX for cabinet folders: one LZX stream per folder with a 2^windowBits-byte window.
// Frames are parsed for the cheapest path over the codec kit's match finder, gathered
// into blocks of a few frames, and each block is written verbatim or with aligned
// offsets, whichever is smaller, or stored frame by frame when it would not shrink. Memory: about five windows and 1 MiB, whatever the folder's size.
#pragma once

#include "FolderEncoder.h"
#include "LzxBlockWriter.h"
#include "LzxOptimalParser.h"

#include <functional>
#include <memory>

namespace cab {

class LzxEncoder final : public FolderEncoder {
public:
    enum class E8Mode { Auto, Off, On };
    struct Options {
        int windowBits = 21;      // 15..21
        E8Mode e8 = E8Mode::Auto; // Auto: on when the folder's first MiB looks like x86 code
        // Measured on text and source (bench/cab/run.sh): four frames per block, and 48
        // tree steps per position, are where smaller output stops paying for the time.
        std::uint32_t framesPerBlock = 4;
        std::uint32_t maxChain = 48;    // match-finder steps per position
        std::uint32_t niceLength = 128; // a match this long ends the search
        // Bytes that pick a match-finder tree, 4..8; 0: by window. In 1 and 2 MiB
        // windows 8 takes 40% fewer tree steps than 4 on the mixed 16 MiB input of
        // bench/cab/compare-revision.sh for 0.03% more bytes (0.2% on its 1 MiB input):
        // 4- to 7-byte matches then come from the newest position only. From 2^18 on,
        // 8 costs 0.06-0.26% on the 1 MiB input for about a fifth less time; smaller
        // windows lose 0.3-0.6% with 8 and take 6 (at most 0.04%, a few per cent faster).
        std::uint32_t treeHashBytes = 0;
        // The match searches run a frame ahead on a thread of their own while this
        // thread prices and codes; the output is the same either way.
        bool searchOnItsOwnThread = true;
        // Polled between frames; once true the folder is being dropped and nothing
        // more is parsed or written. Empty: never.
        std::function<bool()> stopRequested;
    };

    // Throws std::invalid_argument for a window outside 15..21.
    explicit LzxEncoder(const Options &options);
    ~LzxEncoder() override;

    std::uint16_t method() const override;
    void beginFolder(FrameSink sink, std::uint64_t expectedBytes) override;
    void addFrame(const std::uint8_t *data, std::size_t size) override;
    void endFolder() override;

private:
    std::uint32_t treeHashBytes() const;
    void decideE8();
    void countNewTokens(std::size_t before);
    void translateAndParse(std::size_t at, std::uint32_t firstFrame);
    void encodeReadyBlocks(bool final);
    // Fills items_.
    void takeBlockItems(std::uint64_t blockEnd);
    void appendPiece(std::uint64_t pos, std::uint32_t distance, std::uint32_t length);
    void encodeBlock(std::uint32_t frameCount);
    vexel::codec::BitWriter newFrameWriter();

    Options options_;
    FrameSink sink_;
    std::unique_ptr<lzx::LzxOptimalParser> parser_;
    std::vector<vexel::codec::LzToken>
        tokens_;                        // parsed, not yet coded; the first starts at blockStart_
    std::vector<std::uint8_t> pending_; // the (translated) stream from blockStart_ on
    std::vector<std::uint32_t> frameSizes_; // frames from blockStart_ on
    // The block being coded. Kept from block to block, like tokens_ and pending_: a
    // vector of a megabyte made anew for every block is mapped anew, page fault by
    // page fault.
    std::vector<lzx::LzxItem> items_;
    std::uint64_t blockStart_ = 0;
    std::uint64_t tokenEnd_ = 0;   // stream position the tokens reach
    std::uint32_t frameIndex_ = 0; // frames received in this folder
    bool e8Decided_ = false;
    bool e8_ = false;
    bool headerWritten_ = false;
    bool stopped_ = false; // stopRequested answered true: drop the rest
    lzx::RepeatedOffsets offsets_;
    lzx::TreeLengths trees_;
};

} // namespace cab
