// Constants of the -lh5-, -lh6- and -lh7- compressed streams: one engine, three
// dictionary sizes.
#pragma once

#include <cstdint>

namespace vexel::codec {

enum class LhMethod { Lh5, Lh6, Lh7 };

struct LhMethodInfo {
    const char *id;              // the 5-byte method id, e.g. "-lh5-"
    std::uint32_t dictBits;      // dictionary = largest distance = 2^dictBits
    std::uint32_t positionCodes; // NP: dictBits + 1 position symbols
    std::uint32_t positionBits;  // PBIT: width of the P table's count field
};

constexpr LhMethodInfo lhMethodInfo(LhMethod method)
{
    switch (method) {
    case LhMethod::Lh5: return {"-lh5-", 13, 14, 4};
    case LhMethod::Lh6: return {"-lh6-", 15, 16, 5};
    case LhMethod::Lh7: break;
    }
    return {"-lh7-", 16, 17, 5};
}

namespace lh {
constexpr std::uint32_t kMinMatch = 3;
constexpr std::uint32_t kMaxMatch = 256;
constexpr std::uint32_t kCodeSymbols = 510;   // NC: 256 literals + 254 match lengths
constexpr std::uint32_t kCodeCountBits = 9;   // CBIT
constexpr std::uint32_t kLengthSymbols = 19;  // NT: symbols of the T table
constexpr std::uint32_t kLengthCountBits = 5; // TBIT
constexpr std::uint32_t kMaxCodeLength = 16;
constexpr std::uint32_t kMaxBlockTokens = 65535;
} // namespace lh

} // namespace vexel::codec
