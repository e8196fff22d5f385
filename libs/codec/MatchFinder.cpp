#include "MatchFinder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace vexel::codec {

namespace {

constexpr std::int32_t kNone = -1;
constexpr std::uint32_t kHashBytes = 3;

std::uint32_t hashBitsFor(std::uint32_t windowSize)
{
    // About one hash slot per window byte, within reason for cache use.
    const auto bits = static_cast<std::uint32_t>(std::countr_zero(windowSize));
    return std::clamp(bits, 14u, 18u);
}

} // namespace

MatchFinder::MatchFinder(const MatchFinderParams &params) : params_(params)
{
    const std::uint32_t w = params.windowSize;
    if (w < (1u << 10) || w > (1u << 21) || !std::has_single_bit(w))
        throw std::invalid_argument("window size must be a power of two from 1 KiB to 2 MiB");
    if (params.maxDistance == 0 || params.maxDistance > w)
        throw std::invalid_argument("largest distance must lie within the window");
    if (params.maxMatch < kHashBytes || params.maxMatch > 65535)
        throw std::invalid_argument("longest match out of range");
    if (params_.maxChain == 0)
        params_.maxChain = 1;
    hashBits_ = hashBitsFor(w);
    buffer_.resize(std::max<std::size_t>(4 * std::size_t{w}, 1u << 18));
    head_.assign(std::size_t{1} << hashBits_, kNone);
    chain_.assign(w, kNone);
}

std::uint32_t MatchFinder::history() const
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(cursor_, params_.windowSize));
}

std::size_t MatchFinder::append(std::span<const std::uint8_t> input)
{
    if (end_ + input.size() > buffer_.size())
        slide();
    const std::size_t n = std::min(input.size(), buffer_.size() - end_);
    if (n != 0)
        std::memcpy(buffer_.data() + end_, input.data(), n);
    end_ += n;
    return n;
}

void MatchFinder::slide()
{
    // Keep a whole window of history before the cursor. Shifting by a multiple of
    // the window keeps chain_ (indexed modulo the window) in place.
    const std::size_t w = params_.windowSize;
    if (cursor_ <= w)
        return;
    const std::size_t shift = (cursor_ - w) / w * w;
    if (shift == 0)
        return;
    std::memmove(buffer_.data(), buffer_.data() + shift, end_ - shift);
    cursor_ -= shift;
    end_ -= shift;
    const auto s = static_cast<std::int32_t>(shift);
    auto rebase = [s](std::int32_t &p) { p = p >= s ? p - s : kNone; };
    std::for_each(head_.begin(), head_.end(), rebase);
    std::for_each(chain_.begin(), chain_.end(), rebase);
}

std::uint32_t MatchFinder::hashAt(std::size_t pos) const
{
    const std::uint8_t *p = buffer_.data() + pos;
    const std::uint32_t v = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    return (v * 2654435761u) >> (32 - hashBits_);
}

void MatchFinder::insert(std::size_t pos)
{
    if (end_ - pos < kHashBytes)
        return;
    const std::uint32_t h = hashAt(pos);
    chain_[pos & (params_.windowSize - 1)] = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
}

std::uint32_t MatchFinder::matchLength(std::size_t a, std::size_t b, std::uint32_t limit) const
{
    const std::uint8_t *pa = buffer_.data() + a;
    const std::uint8_t *pb = buffer_.data() + b;
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, pa + n, 8);
        std::memcpy(&y, pb + n, 8);
        if (x != y)
            return n + static_cast<std::uint32_t>(std::countr_zero(x ^ y) / 8);
        n += 8;
    }
    while (n < limit && pa[n] == pb[n])
        ++n;
    return n;
}

LzMatch MatchFinder::findAndInsert()
{
    LzMatch best;
    const std::uint32_t limit = std::min(params_.maxMatch, available());
    if (limit < kHashBytes) {
        return best;
    }
    const std::size_t cur = cursor_;
    const std::uint8_t *data = buffer_.data();
    std::uint32_t bestLen = kHashBytes - 1;
    std::int32_t cand = head_[hashAt(cur)];
    for (std::uint32_t steps = params_.maxChain; cand != kNone && steps != 0; --steps) {
        const std::size_t distance = cur - static_cast<std::size_t>(cand);
        if (distance > params_.maxDistance)
            break;
        if (data[cand + bestLen] == data[cur + bestLen] && data[cand] == data[cur]) {
            const std::uint32_t len = matchLength(static_cast<std::size_t>(cand), cur, limit);
            if (len > bestLen) {
                bestLen = len;
                best = {len, static_cast<std::uint32_t>(distance)};
                if (len >= params_.niceLength || len == limit)
                    break;
            }
        }
        const std::int32_t next = chain_[static_cast<std::size_t>(cand) & (params_.windowSize - 1)];
        if (next >= cand)
            break;  // the slot was reused by a newer position: the chain ends here
        cand = next;
    }
    insert(cur);
    return best;
}

void MatchFinder::skip(std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count && cursor_ < end_; ++i) {
        insert(cursor_);
        advance();
    }
}

} // namespace vexel::codec
