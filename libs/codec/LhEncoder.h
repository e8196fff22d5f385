// Streaming -lh5- / -lh6- / -lh7- compressor: bytes in, the method's bit stream out.
//
// Input is parsed in chunks (512 KiB unless the options say otherwise), two at a time
// on two threads (each chunk's parser is primed with the dictionary's worth of bytes
// before it), with the cost-based parser of the codec kit. The pair is parsed in the
// background while the caller reads the next pair and the blocks of the previous one
// are written. The output does not depend on how the input is cut into write() calls.
// Memory is bounded by four chunks of input (two being parsed, two being read or
// coded), two parsers, the commands of two pairs packed without their literals
// (LhPackedCommands, room reserved once), one block's commands and, without an output
// sink, a pair's output, whatever the stream length or content. The output ends on a
// byte boundary with zero padding; its length is the member's packed size.
// Not thread-safe; one encoder per member.
#pragma once

#include "BitWriter.h"
#include "LhFormat.h"
#include "LhPackedCommands.h"
#include "LhPriceModel.h"
#include "LzParser.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

namespace vexel::codec {

struct LhEncoderOptions {
    std::uint32_t maxChain = 0;    // 0: the default search depth (tree steps)
    std::uint32_t blockTokens = 0; // 0: the default block size (<= 65535)
    std::uint32_t niceLength = 0;  // 0: the default; a match this long ends a search
    // Input parsed per thread; 0: the default 512 KiB. Smaller chunks cut more matches
    // and give a stop less to wait for. At least the method's dictionary, so that every
    // chunk's parser is primed with a whole dictionary of the input before it, and at
    // most 256 MiB; std::invalid_argument otherwise.
    std::size_t chunkBytes = 0;
    // Polled from the parse threads between pieces of 8 KiB and before each block is
    // coded: once it answers true the stream is being dropped, the parse ends early and
    // write() no longer waits for it. Must be thread-safe; empty: never.
    std::function<bool()> stopRequested;
    // Where the finished bytes go, on the caller's thread during write() and finish(),
    // a block's worth at a time, so a pair's output is never held whole. Answering
    // false drops the stream as a stop does. Empty: they wait for drainTo().
    std::function<bool(std::span<const std::uint8_t>)> output;
};

class LhEncoder {
public:
    explicit LhEncoder(LhMethod method, const LhEncoderOptions &options = {});
    // Stops a parse still running and waits for it (milliseconds); the stream is
    // left unfinished.
    ~LhEncoder();
    LhEncoder(const LhEncoder &) = delete;
    LhEncoder &operator=(const LhEncoder &) = delete;

    // Compresses `data` as the next part of the stream. May block while the
    // previous chunk pair is parsed (a fraction of a second). Once a stop was asked
    // for (options' stopRequested), the stream is dropped: this and finish() then do
    // nothing and the output stays unfinished.
    void write(std::span<const std::uint8_t> data);
    // Ends the stream: the rest of the input, the last block and the final padding.
    void finish();

    // Moves the finished output bytes to the end of `sink`.
    void drainTo(std::vector<std::uint8_t> &sink) { bits_.drainTo(sink); }

    const LhMethodInfo &method() const { return method_; }

private:
    struct ChunkJob;
    static constexpr std::size_t kChunksAtOnce = 2; // chunks parsed at once, a thread each

    // Starts the parse of pending_ in the background (after awaitParse()).
    void startParse();
    // Waits for the parse in flight, if any, and queues its tokens.
    void awaitParse();
    void keepHistory();
    void writeBlocks(bool final);
    // Codes tokens_ as the next block(s); false when the stream was dropped instead.
    bool writeBlock();
    void writeSplit(std::span<const LzToken> tokens, int levels);
    // Drops the stream when a stop is asked for; true then.
    bool dropOnStop();
    void drop();
    // Hands the finished bytes to the output sink, if there is one; false when it
    // refused them (the stream is dropped then).
    bool passOutput();
    // An empty command store with room for the commands of `inputBytes` of input,
    // reused when one is spare.
    LhPackedCommands takeCommandStore(std::size_t inputBytes);

    LhMethodInfo method_;
    LhEncoderOptions options_;
    LhPriceModel prices_;
    std::size_t chunk_; // input bytes per chunk
    bool pricesLearned_ = false;
    std::vector<std::uint8_t> history_; // the input just before parsing_, up to a dictionary
    std::vector<std::uint8_t> parsing_; // input being parsed, up to two chunks
    // Input not parsed yet, up to two chunks; for a while after a pair's parse has
    // started, the pair before it, whose blocks are being coded.
    std::vector<std::uint8_t> pending_;
    std::vector<ChunkJob> jobs_; // the parse of parsing_, one job per chunk
    std::vector<std::thread> workers_;
    std::atomic<bool> abandoned_{false}; // the jobs stop early: the stream is dropped
    std::uint32_t blockTokens_;
    struct ParsedChunk {
        LhPackedCommands commands;
        std::span<const std::uint8_t> input; // where the literals are: in parsing_ or pending_
    };
    std::vector<ParsedChunk> parsed_; // the commands of parsed chunks, in order, not written yet
    std::vector<LhPackedCommands> spare_; // emptied command stores, kept for the next chunks
    // A segment's commands as a job's parser hands them over, before they are packed.
    std::array<std::vector<LzToken>, kChunksAtOnce> segments_;
    std::vector<LzToken> tokens_; // the start of the next block, fewer than blockTokens_
    BitWriter bits_;
};

} // namespace vexel::codec
