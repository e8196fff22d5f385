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

// The package-merge lists of all levels, one after the other in one buffer: a code is
// built for every block and every price update, and a buffer per level made each of
// them a dozen allocations or more.
class Levels {
public:
    // levels[0] is the deepest list (length maxLength), the leaves alone; each higher
    // level merges the leaves with the packages of the level below.
    Levels(const std::vector<Item> &leaves, unsigned maxLength)
    {
        start_.reserve(maxLength + 1);
        std::size_t total = 0, size = 0;
        for (unsigned l = 0; l < maxLength; ++l) {
            size = leaves.size() + size / 2;
            start_.push_back(total);
            total += size;
        }
        start_.push_back(total);
        items_.resize(total);
        std::copy(leaves.begin(), leaves.end(), items_.begin());
        for (unsigned l = 1; l < maxLength; ++l)
            mergeLevel(leaves, l);
    }

    std::size_t count() const { return start_.size() - 1; }
    const Item &at(std::size_t level, std::size_t i) const { return items_[start_[level] + i]; }

private:
    void mergeLevel(const std::vector<Item> &leaves, std::size_t level)
    {
        const Item *deeper = items_.data() + start_[level - 1];
        const std::size_t packages = (start_[level] - start_[level - 1]) / 2;
        Item *out = items_.data() + start_[level];
        // Leaves go before packages of equal weight, which keeps lengths short.
        std::size_t leaf = 0, package = 0;
        while (leaf < leaves.size() || package < packages) {
            const std::uint64_t packageWeight = package < packages
                ? deeper[2 * package].weight + deeper[2 * package + 1].weight
                : 0;
            if (package == packages
                || (leaf < leaves.size() && leaves[leaf].weight <= packageWeight)) {
                *out++ = leaves[leaf++];
            } else {
                *out++ = {packageWeight, -1, static_cast<std::int32_t>(2 * package)};
                ++package;
            }
        }
    }

    std::vector<Item> items_;
    std::vector<std::size_t> start_; // of each level in items_, and the end
};

// Unlimited Huffman code lengths of the sorted leaves (two queues: the leaves, and the
// nodes made so far, which come out in order of weight), written into `lengths`.
// Returns false, writing nothing, when the longest code would exceed `maxLength`.
// Leaves go before nodes of equal weight, as in the package-merge lists: where no code
// is too long, both give the same lengths, and this takes a fraction of the time.
bool huffmanLengthsWithin(const std::vector<Item> &leaves, unsigned maxLength,
                          std::vector<std::uint8_t> &lengths)
{
    const std::size_t n = leaves.size();
    std::vector<std::uint64_t> nodeWeight(n - 1);
    std::vector<std::uint32_t> parent(2 * n - 2); // leaves 0..n-1, then the nodes
    std::size_t leaf = 0, node = 0;
    const auto takeLightest = [&](std::size_t made) -> std::size_t {
        if (leaf < n && (node == made || leaves[leaf].weight <= nodeWeight[node]))
            return leaf++;
        return n + node++;
    };
    const auto weightOf = [&](std::size_t x) {
        return x < n ? leaves[x].weight : nodeWeight[x - n];
    };
    for (std::size_t made = 0; made + 1 < n; ++made) {
        const std::size_t a = takeLightest(made);
        const std::size_t b = takeLightest(made);
        nodeWeight[made] = weightOf(a) + weightOf(b);
        parent[a] = parent[b] = static_cast<std::uint32_t>(n + made);
    }
    // Every node was made after its children: depths follow from the root down.
    std::vector<std::uint8_t> depth(2 * n - 1, 0);
    for (std::size_t x = 2 * n - 2; x-- > 0;) {
        const unsigned d = depth[parent[x]] + 1u;
        if (d > maxLength)
            return false;
        depth[x] = static_cast<std::uint8_t>(d);
    }
    for (std::size_t i = 0; i < n; ++i)
        lengths[static_cast<std::size_t>(leaves[i].symbol)] = depth[i];
    return true;
}

void countLeaves(const Levels &levels, std::size_t level, std::size_t count,
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
            const Item &item = levels.at(s.level, i);
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

    if (huffmanLengthsWithin(leaves, maxLength, lengths))
        return lengths;
    // The first 2n-2 entries of the top list decide the lengths.
    const Levels levels(leaves, maxLength);
    countLeaves(levels, levels.count() - 1, 2 * leaves.size() - 2, lengths);
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
