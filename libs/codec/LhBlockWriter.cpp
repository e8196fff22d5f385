#include "LhBlockWriter.h"

#include "Huffman.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace vexel::codec {

namespace {

using namespace lh;

std::uint32_t codeSymbol(const LzToken &t)
{
    return t.isLiteral() ? t.value : 256u + t.value - kMinMatch;
}

// The position symbol is the bit length of distance-1; the bits below its top
// bit follow as extra bits.
std::uint32_t positionSymbol(std::uint32_t distance)
{
    return static_cast<std::uint32_t>(std::bit_width(distance - 1));
}

// One Huffman table as the block sends it: a single symbol (`single` >= 0, zero
// bits per use) or lengths and canonical codes.
struct Table {
    int single = -1;
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint32_t> codes;

    void put(BitWriter &out, std::uint32_t symbol) const
    {
        if (single < 0)
            out.put(codes[symbol], lengths[symbol]);
    }
};

Table buildTable(const std::vector<std::uint32_t> &freq)
{
    Table t;
    const std::size_t used = usedSymbolCount(freq);
    if (used <= 1) {
        const auto it =
            std::find_if(freq.begin(), freq.end(), [](std::uint32_t f) { return f != 0; });
        t.single = it == freq.end() ? 0 : static_cast<int>(it - freq.begin());
        return t;
    }
    t.lengths = limitedCodeLengths(freq, kMaxCodeLength);
    t.codes = canonicalCodes(t.lengths);
    return t;
}

std::size_t trimmedCount(const std::vector<std::uint8_t> &lengths)
{
    std::size_t n = lengths.size();
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return n;
}

// The C table's lengths as a sequence of T symbols, each with its extra bits.
struct LengthCommand {
    std::uint8_t symbol;
    std::uint8_t extraBits;
    std::uint16_t extra;
};

std::vector<LengthCommand> codeLengthCommands(const std::vector<std::uint8_t> &lengths)
{
    std::vector<LengthCommand> cmds;
    const std::size_t n = trimmedCount(lengths);
    for (std::size_t i = 0; i < n;) {
        if (lengths[i] != 0) {
            cmds.push_back({static_cast<std::uint8_t>(lengths[i] + 2), 0, 0});
            ++i;
            continue;
        }
        std::size_t run = 0;
        while (i + run < n && lengths[i + run] == 0)
            ++run;
        i += run;
        while (run > 0) {
            if (run <= 2) {
                cmds.push_back({0, 0, 0});
                run -= 1;
            } else if (run <= 18) {
                cmds.push_back({1, 4, static_cast<std::uint16_t>(run - 3)});
                run = 0;
            } else if (run == 19) {
                cmds.push_back({0, 0, 0});
                cmds.push_back({1, 4, 15});
                run = 0;
            } else {
                const std::size_t chunk = std::min<std::size_t>(run, 531);
                cmds.push_back({2, 9, static_cast<std::uint16_t>(chunk - 20)});
                run -= chunk;
            }
        }
    }
    return cmds;
}

// Lengths of the T and P tables: 0..6 in 3 bits, 7..16 as 111, (k-7) ones, a zero.
void putShortLength(BitWriter &out, std::uint32_t len)
{
    if (len <= 6) {
        out.put(len, 3);
    } else {
        out.put(7, 3);
        out.put((1u << (len - 6)) - 2, len - 6);
    }
}

void putLengthTable(BitWriter &out, const Table &table, std::uint32_t countBits, bool zeroRunField)
{
    if (table.single >= 0) {
        out.put(0, countBits);
        out.put(static_cast<std::uint32_t>(table.single), countBits);
        return;
    }
    const std::size_t n = trimmedCount(table.lengths);
    out.put(static_cast<std::uint32_t>(n), countBits);
    for (std::size_t i = 0; i < n;) {
        putShortLength(out, table.lengths[i]);
        ++i;
        if (zeroRunField && i == 3) {
            std::uint32_t zeros = 0;
            while (zeros < 3 && i + zeros < n && table.lengths[i + zeros] == 0)
                ++zeros;
            out.put(zeros, 2);
            i += zeros;
        }
    }
}

struct BlockPlan {
    Table c, t, p;
    std::vector<LengthCommand> lengthCommands;
};

BlockPlan planBlock(std::span<const LzToken> tokens, const LhMethodInfo &method)
{
    if (tokens.empty() || tokens.size() > kMaxBlockTokens)
        throw std::invalid_argument("a -lhN- block holds 1 to 65535 commands");
    std::vector<std::uint32_t> cFreq(kCodeSymbols, 0), pFreq(method.positionCodes, 0);
    for (const LzToken &tok : tokens) {
        ++cFreq[codeSymbol(tok)];
        if (!tok.isLiteral())
            ++pFreq[positionSymbol(tok.distance)];
    }
    BlockPlan plan;
    plan.c = buildTable(cFreq);
    plan.p = buildTable(pFreq);
    if (plan.c.single >= 0) {
        plan.t.single = 0; // unused, but the T table is still sent
    } else {
        plan.lengthCommands = codeLengthCommands(plan.c.lengths);
        std::vector<std::uint32_t> tFreq(kLengthSymbols, 0);
        for (const LengthCommand &cmd : plan.lengthCommands)
            ++tFreq[cmd.symbol];
        plan.t = buildTable(tFreq);
    }
    return plan;
}

void writeTables(BitWriter &out, const BlockPlan &plan, std::size_t count,
                 const LhMethodInfo &method)
{
    out.put(static_cast<std::uint32_t>(count), 16);
    putLengthTable(out, plan.t, kLengthCountBits, true);
    if (plan.c.single >= 0) {
        out.put(0, kCodeCountBits);
        out.put(static_cast<std::uint32_t>(plan.c.single), kCodeCountBits);
    } else {
        out.put(static_cast<std::uint32_t>(trimmedCount(plan.c.lengths)), kCodeCountBits);
        for (const LengthCommand &cmd : plan.lengthCommands) {
            plan.t.put(out, cmd.symbol);
            out.put(cmd.extra, cmd.extraBits);
        }
    }
    putLengthTable(out, plan.p, method.positionBits, false);
}

} // namespace

void writeLhBlock(BitWriter &out, std::span<const LzToken> tokens, const LhMethodInfo &method)
{
    const BlockPlan plan = planBlock(tokens, method);
    writeTables(out, plan, tokens.size(), method);
    for (const LzToken &tok : tokens) {
        plan.c.put(out, codeSymbol(tok));
        if (tok.isLiteral())
            continue;
        const std::uint32_t p = tok.distance - 1;
        const std::uint32_t symbol = positionSymbol(tok.distance);
        plan.p.put(out, symbol);
        if (symbol > 1)
            out.put(p, symbol - 1); // put() keeps only the bits below the top one
    }
}

double estimateLhBlockBits(std::span<const LzToken> tokens, const LhMethodInfo &method)
{
    std::vector<std::uint32_t> cFreq(kCodeSymbols, 0), pFreq(method.positionCodes, 0);
    double extraBits = 0;
    for (const LzToken &tok : tokens) {
        ++cFreq[codeSymbol(tok)];
        if (!tok.isLiteral()) {
            const std::uint32_t symbol = positionSymbol(tok.distance);
            ++pFreq[symbol];
            extraBits += symbol > 1 ? symbol - 1 : 0;
        }
    }
    // About 4 bits of table per symbol in use, and the block's fixed fields.
    constexpr double kTableBitsPerSymbol = 4;
    constexpr double kBlockFixedBits = 16 + 5 + 9 + 5;
    auto entropy = [](const std::vector<std::uint32_t> &freq) {
        double total = 0, bits = 0, used = 0;
        for (std::uint32_t f : freq)
            total += f;
        for (std::uint32_t f : freq)
            if (f != 0) {
                bits += f * std::log2(total / f);
                used += 1;
            }
        return bits + used * kTableBitsPerSymbol;
    };
    return kBlockFixedBits + entropy(cFreq) + entropy(pFreq) + extraBits;
}

} // namespace vexel::codec
