#include "LhPackedCommands.h"

#include "LhFormat.h"

#include <stdexcept>

namespace vexel::codec {

namespace {

constexpr std::uint8_t kEscape = 0xFF;
constexpr std::uint32_t kMaxDistance = 1u << 16;

static_assert(lh::kMaxMatch - lh::kMinMatch < kEscape,
              "a length byte must never read as the escaped literal");
static_assert(lhMethodInfo(LhMethod::Lh7).dictBits <= 16, "distances must fit in two bytes");

} // namespace

void LhPackedCommands::reset(std::size_t inputBytes)
{
    bytes_.clear();
    bytes_.reserve(worstBytes(inputBytes));
}

void LhPackedCommands::append(std::span<const LzToken> tokens)
{
    for (const LzToken &t : tokens) {
        if (t.isLiteral()) {
            if (t.value > 0xFF)
                throw std::invalid_argument("a literal is one byte");
            if (t.value == kEscape)
                bytes_.push_back(kEscape);
            bytes_.push_back(static_cast<std::uint8_t>(t.value));
            continue;
        }
        if (t.value < lh::kMinMatch || t.value > lh::kMaxMatch || t.distance > kMaxDistance)
            throw std::invalid_argument("a match outside the -lhN- limits");
        const std::uint32_t d = t.distance - 1;
        const std::uint8_t match[4] = {kEscape, static_cast<std::uint8_t>(t.value - lh::kMinMatch),
                                       static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(d >> 8)};
        bytes_.insert(bytes_.end(), match, match + 4);
    }
}

std::size_t LhPackedCommands::unpack(std::size_t at, std::size_t limit,
                                     std::vector<LzToken> &out) const
{
    const std::uint8_t *b = bytes_.data();
    const std::size_t end = bytes_.size();
    while (at < end && out.size() < limit) {
        if (b[at] != kEscape) {
            out.push_back({0, b[at]});
            at += 1;
        } else if (b[at + 1] == kEscape) {
            out.push_back({0, kEscape});
            at += 2;
        } else {
            const std::uint32_t distance = (b[at + 2] | std::uint32_t{b[at + 3]} << 8) + 1u;
            out.push_back({distance, static_cast<std::uint16_t>(b[at + 1] + lh::kMinMatch)});
            at += 4;
        }
    }
    return at;
}

} // namespace vexel::codec
