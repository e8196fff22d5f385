// Streaming -lh5- / -lh6- / -lh7- compressor: bytes in, the method's bit stream out.
//
// Memory is bounded by the method's window and one block of commands, whatever the
// stream length. The output ends on a byte boundary with zero padding; its length
// is the member's packed size. Not thread-safe; one encoder per member.
#pragma once

#include "BitWriter.h"
#include "LhFormat.h"
#include "LhPriceModel.h"
#include "LzOptimalParser.h"
#include "LzParser.h"

#include <memory>

#include <cstdint>
#include <span>
#include <vector>

namespace vexel::codec {

struct LhEncoderOptions {
    std::uint32_t maxChain = 0;     // 0: the method's default search depth
    std::uint32_t blockTokens = 0;  // 0: the default block size (<= 65535)
    std::uint32_t niceLength = 0;   // 0: the default; a match this long ends a search
    bool lazy = false;              // one-step lazy parsing instead of the cost-based one
};

class LhEncoder {
public:
    explicit LhEncoder(LhMethod method, const LhEncoderOptions &options = {});

    // Compresses `data` as the next part of the stream.
    void write(std::span<const std::uint8_t> data);
    // Ends the stream: the last block and the final padding are written.
    void finish();

    // Moves the finished output bytes to the end of `sink`.
    void drainTo(std::vector<std::uint8_t> &sink) { bits_.drainTo(sink); }
    // Output bytes produced so far, drained or not (partial bytes not counted).
    std::uint64_t producedBytes() const { return bits_.bitCount() / 8; }

    const LhMethodInfo &method() const { return method_; }

private:
    void writeBlocks(bool final);

    LhMethodInfo method_;
    LhPriceModel prices_;
    std::unique_ptr<LzParser> lazyParser_;
    std::unique_ptr<LzOptimalParser> optimalParser_;
    std::uint32_t blockTokens_;
    std::vector<LzToken> tokens_;
    BitWriter bits_;
};

} // namespace vexel::codec
