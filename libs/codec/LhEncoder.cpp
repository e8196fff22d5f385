#include "LhEncoder.h"

#include "LhBlockWriter.h"

#include <algorithm>

namespace vexel::codec {

namespace {

// Tree steps per position and the match length that ends a search: on text, deeper
// searches (32 steps, 64 bytes) gain about 1% for a quarter more time; shallower
// ones (8 steps) lose 7%.
constexpr std::uint32_t kDefaultChain = 16;
constexpr std::uint32_t kDefaultNice = 32;
// Large blocks amortise the tables; 16 Ki commands still adapt to changing data.
constexpr std::uint32_t kDefaultBlockTokens = 16384;

MatchFinderParams finderParams(const LhMethodInfo &m, const LhEncoderOptions &o)
{
    MatchFinderParams p;
    p.windowSize = 1u << m.dictBits;
    p.maxDistance = 1u << m.dictBits;
    p.maxMatch = lh::kMaxMatch;
    p.maxChain = o.maxChain ? o.maxChain : kDefaultChain;
    p.niceLength = o.niceLength ? o.niceLength : kDefaultNice;
    p.structure = MatchStructure::BinaryTree;
    return p;
}

LzOptimalParams optimalParams(const LhMethodInfo &m, const LhEncoderOptions &o)
{
    LzOptimalParams p;
    p.finder = finderParams(m, o);
    p.minMatch = lh::kMinMatch;
    p.takeLength = p.finder.niceLength;
    return p;
}

LzParserParams lazyParams(const LhMethodInfo &m, const LhEncoderOptions &o)
{
    LzParserParams p;
    p.finder = finderParams(m, o);
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
      prices_(method_),
      blockTokens_(std::clamp<std::uint32_t>(options.blockTokens ? options.blockTokens : kDefaultBlockTokens,
                                             1, lh::kMaxBlockTokens)),
      bits_(BitPacking::MsbFirstBytes)
{
    if (options.lazy)
        lazyParser_ = std::make_unique<LzParser>(lazyParams(method_, options));
    else
        optimalParser_ = std::make_unique<LzOptimalParser>(optimalParams(method_, options), prices_);
}

void LhEncoder::write(std::span<const std::uint8_t> data)
{
    // Feeding in slices keeps the pending commands to about one block.
    constexpr std::size_t kSlice = 1u << 16;
    while (!data.empty()) {
        const std::size_t n = std::min(kSlice, data.size());
        if (lazyParser_)
            lazyParser_->feed(data.first(n), tokens_);
        else
            optimalParser_->feed(data.first(n), tokens_);
        data = data.subspan(n);
        writeBlocks(false);
    }
}

void LhEncoder::finish()
{
    if (lazyParser_)
        lazyParser_->finish(tokens_);
    else
        optimalParser_->finish(tokens_);
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
