// The LZX-specific choice at each parse position: a match at a repeated offset codes in
// a few bits, so it often beats a longer match found by the hash chains, and it is the
// only way a 2-byte match pays. Far short matches cost more than their literals and are
// dropped.
#pragma once

#include "LzxOffsets.h"
#include "codec/LzParser.h"

namespace cab::lzx {

class LzxMatchChooser final : public vexel::codec::LzMatchHook {
public:
    void refine(const std::uint8_t *cur, std::uint32_t available, std::uint32_t history,
                vexel::codec::LzMatch &best) override;
    void committed(const vexel::codec::LzToken &token) override;

private:
    RepeatedOffsets offsets_;
};

} // namespace cab::lzx
