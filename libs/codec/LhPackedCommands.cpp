#include "LhPackedCommands.h"

#include "LhFormat.h"

#include <stdexcept>

namespace vexel::codec {

namespace {

constexpr std::uint8_t kMatch = 0x80;      // first byte of a match; below: a run of literals
constexpr std::uint8_t kLongestRun = 0x7F; // a run byte counts 1 + its value literals
constexpr std::uint32_t kMaxDistance = 1u << 16;

static_assert(lh::kMaxMatch - lh::kMinMatch <= 0xFF, "a length must fit in a byte");
static_assert(lhMethodInfo(LhMethod::Lh7).dictBits <= 16, "distances must fit in two bytes");

} // namespace

void LhPackedCommands::reset(std::size_t inputBytes)
{
    bytes_.clear();
    bytes_.reserve(worstBytes(inputBytes));
    runOpen_ = false;
}

void LhPackedCommands::append(std::span<const LzToken> tokens)
{
    for (const LzToken &t : tokens) {
        if (t.isLiteral()) {
            if (runOpen_ && bytes_.back() < kLongestRun) {
                ++bytes_.back();
            } else {
                bytes_.push_back(0);
                runOpen_ = true;
            }
            continue;
        }
        if (t.value < lh::kMinMatch || t.value > lh::kMaxMatch || t.distance > kMaxDistance)
            throw std::invalid_argument("a match outside the -lhN- limits");
        const std::uint32_t d = t.distance - 1;
        const std::uint8_t match[4] = {kMatch, static_cast<std::uint8_t>(t.value - lh::kMinMatch),
                                       static_cast<std::uint8_t>(d),
                                       static_cast<std::uint8_t>(d >> 8)};
        bytes_.insert(bytes_.end(), match, match + 4);
        runOpen_ = false;
    }
}

bool LhPackedCommands::unpack(Cursor &c, std::size_t limit, std::span<const std::uint8_t> input,
                              std::vector<LzToken> &out) const
{
    const std::uint8_t *b = bytes_.data();
    while (c.at < bytes_.size() && out.size() < limit) {
        if (b[c.at] == kMatch) {
            const std::uint32_t length = b[c.at + 1] + lh::kMinMatch;
            if (length > input.size() - c.position)
                throw std::out_of_range("a packed match reaches past its input");
            const std::uint32_t distance = (b[c.at + 2] | std::uint32_t{b[c.at + 3]} << 8) + 1u;
            out.push_back({distance, static_cast<std::uint16_t>(length)});
            c.position += length;
            c.at += 4;
            continue;
        }
        const std::size_t run = std::size_t{b[c.at]} + 1;
        const std::size_t n = std::min(run - c.runDone, limit - out.size());
        if (n > input.size() - c.position)
            throw std::out_of_range("packed literals reach past their input");
        for (std::size_t i = 0; i < n; ++i)
            out.push_back({0, input[c.position + i]});
        c.position += n;
        c.runDone += n;
        if (c.runDone == run) {
            c.runDone = 0;
            c.at += 1;
        }
    }
    return c.at < bytes_.size();
}

} // namespace vexel::codec
