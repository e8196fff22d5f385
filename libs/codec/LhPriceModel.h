// Bit prices of -lhN- literals, lengths and distances, learned from recent parses:
// the code lengths a block would get from the (decayed) symbol counts seen so far.
#pragma once

#include "LhFormat.h"
#include "LzOptimalParser.h"

#include <array>
#include <vector>

namespace vexel::codec {

class LhPriceModel : public LzPriceModel {
public:
    explicit LhPriceModel(const LhMethodInfo &method);

    std::uint32_t literalPrice(std::uint8_t byte) const override { return codeBits_[byte]; }
    std::uint32_t lengthPrice(std::uint32_t length) const override
    {
        return codeBits_[256 + length - lh::kMinMatch];
    }
    std::uint32_t distancePrice(std::uint32_t distance) const override;
    bool distancePricesByWidth(std::span<std::uint32_t, 33> prices) const override;
    void learn(std::span<const LzToken> tokens) override;

private:
    std::vector<std::uint32_t> codeCounts_, positionCounts_;
    std::vector<std::uint8_t> codeBits_, positionBits_;
};

} // namespace vexel::codec
