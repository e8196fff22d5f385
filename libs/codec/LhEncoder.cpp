#include "LhEncoder.h"

#include "LhBlockWriter.h"

#include <algorithm>

namespace vexel::codec {

namespace {

// Search depth: deep enough to find the long matches a 64 KiB window offers while
// keeping -lh7- well above 10 MB/s on text.
constexpr std::uint32_t kDefaultChain = 96;
constexpr std::uint32_t kDefaultNice = 64;
// Large blocks amortise the tables; 16 Ki commands still adapt to changing data.
constexpr std::uint32_t kDefaultBlockTokens = 16384;

LzParserParams parserParams(const LhMethodInfo &m, const LhEncoderOptions &o)
{
    LzParserParams p;
    p.finder.windowSize = 1u << m.dictBits;
    p.finder.maxDistance = 1u << m.dictBits;
    p.finder.maxMatch = lh::kMaxMatch;
    p.finder.maxChain = o.maxChain ? o.maxChain : kDefaultChain;
    p.finder.niceLength = o.niceLength ? o.niceLength : kDefaultNice;
    p.finder.structure = MatchStructure::BinaryTree;
    p.minMatch = lh::kMinMatch;
    // A 3-byte match costs its length code, a position code and up to dictBits-1
    // extra bits; beyond 4 KiB back that rarely beats three literals.
    p.shortMatchMaxDistance = 4096;
    p.lazyLimit = 128;
    return p;
}

} // namespace

LhEncoder::LhEncoder(LhMethod method, const LhEncoderOptions &options)
    : method_(lhMethodInfo(method)),
      parser_(parserParams(method_, options)),
      blockTokens_(std::clamp<std::uint32_t>(options.blockTokens ? options.blockTokens : kDefaultBlockTokens,
                                             1, lh::kMaxBlockTokens)),
      bits_(BitPacking::MsbFirstBytes)
{
}

void LhEncoder::write(std::span<const std::uint8_t> data)
{
    // Feeding in slices keeps the pending commands to about one block.
    constexpr std::size_t kSlice = 1u << 16;
    while (!data.empty()) {
        const std::size_t n = std::min(kSlice, data.size());
        parser_.feed(data.first(n), tokens_);
        data = data.subspan(n);
        writeBlocks(false);
    }
}

void LhEncoder::finish()
{
    parser_.finish(tokens_);
    writeBlocks(true);
    bits_.alignToUnit();
}

void LhEncoder::writeBlocks(bool final)
{
    std::size_t done = 0;
    while (tokens_.size() - done >= blockTokens_ || (final && done < tokens_.size())) {
        const std::size_t n = std::min<std::size_t>(blockTokens_, tokens_.size() - done);
        writeLhBlock(bits_, std::span<const LzToken>(tokens_).subspan(done, n), method_);
        done += n;
    }
    tokens_.erase(tokens_.begin(), tokens_.begin() + static_cast<std::ptrdiff_t>(done));
}

} // namespace vexel::codec
