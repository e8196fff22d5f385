#include "Huffman.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace vexel::codec {

namespace {

// One entry of a package-merge list: a leaf (symbol >= 0) or a package made of two
// consecutive entries of the list one level deeper, starting at `first`.
struct Item {
    std::uint64_t weight;
    std::int32_t symbol;
    std::int32_t first;
};

std::vector<Item> mergeLevel(const std::vector<Item> &leaves, const std::vector<Item> &deeper)
{
    std::vector<Item> packages;
    packages.reserve(deeper.size() / 2);
    for (std::size_t i = 0; i + 1 < deeper.size(); i += 2)
        packages.push_back(
            {deeper[i].weight + deeper[i + 1].weight, -1, static_cast<std::int32_t>(i)});
    std::vector<Item> merged;
    merged.reserve(leaves.size() + packages.size());
    // Leaves go before packages of equal weight, which keeps lengths short.
    std::merge(leaves.begin(), leaves.end(), packages.begin(), packages.end(),
               std::back_inserter(merged),
               [](const Item &a, const Item &b) { return a.weight < b.weight; });
    return merged;
}

void countLeaves(const std::vector<std::vector<Item>> &levels, std::size_t level, std::size_t count,
                 std::vector<std::uint8_t> &lengths)
{
    // Walks the first `count` entries of `level`; each leaf met adds one bit to its
    // symbol, each package opens its two children one level deeper.
    struct Span {
        std::size_t level, begin, end;
    };
    std::vector<Span> work{{level, 0, count}};
    while (!work.empty()) {
        const Span s = work.back();
        work.pop_back();
        for (std::size_t i = s.begin; i < s.end; ++i) {
            const Item &item = levels[s.level][i];
            if (item.symbol >= 0)
                ++lengths[static_cast<std::size_t>(item.symbol)];
            else
                work.push_back({s.level - 1, static_cast<std::size_t>(item.first),
                                static_cast<std::size_t>(item.first) + 2});
        }
    }
}

} // namespace

std::size_t usedSymbolCount(std::span<const std::uint32_t> frequencies)
{
    return static_cast<std::size_t>(std::count_if(frequencies.begin(), frequencies.end(),
                                                  [](std::uint32_t f) { return f != 0; }));
}

std::vector<std::uint8_t> limitedCodeLengths(std::span<const std::uint32_t> frequencies,
                                             unsigned maxLength)
{
    if (maxLength < 1 || maxLength > 31)
        throw std::invalid_argument("Huffman code length limit out of range");
    std::vector<std::uint8_t> lengths(frequencies.size(), 0);
    std::vector<Item> leaves;
    for (std::size_t s = 0; s < frequencies.size(); ++s)
        if (frequencies[s] != 0)
            leaves.push_back({frequencies[s], static_cast<std::int32_t>(s), -1});
    if (leaves.empty())
        return lengths;
    if (leaves.size() == 1) {
        if (frequencies.size() < 2)
            throw std::invalid_argument("a one-symbol alphabet has no complete code");
        const auto used = static_cast<std::size_t>(leaves[0].symbol);
        lengths[used] = 1;
        lengths[used == 0 ? 1 : 0] = 1;
        return lengths;
    }
    if (maxLength < 31 && leaves.size() > (std::size_t{1} << maxLength))
        throw std::invalid_argument("too many symbols for the Huffman code length limit");
    std::stable_sort(leaves.begin(), leaves.end(),
                     [](const Item &a, const Item &b) { return a.weight < b.weight; });

    // levels[0] is the deepest list (length maxLength); each higher level merges the
    // leaves with the packages of the level below. The first 2n-2 entries of the top
    // list decide the lengths.
    std::vector<std::vector<Item>> levels{leaves};
    for (unsigned l = 1; l < maxLength; ++l)
        levels.push_back(mergeLevel(leaves, levels.back()));
    countLeaves(levels, levels.size() - 1, 2 * leaves.size() - 2, lengths);
    return lengths;
}

std::vector<std::uint32_t> canonicalCodes(std::span<const std::uint8_t> lengths)
{
    std::uint32_t countOfLength[33] = {};
    for (std::uint8_t len : lengths)
        ++countOfLength[len];
    countOfLength[0] = 0;
    std::uint32_t next[33] = {};
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= 32; ++len) {
        code = (code + countOfLength[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0)
            codes[s] = next[lengths[s]]++;
    return codes;
}

} // namespace vexel::codec
