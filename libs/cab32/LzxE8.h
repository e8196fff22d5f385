// LZX's x86 CALL translation: the 32-bit operand after each 0xE8 byte is turned from a
// relative into an absolute address, so that repeated calls to one function become
// repeated byte strings. Readers undo it frame by frame; the scan positions match
// theirs because the 0xE8 bytes themselves are never changed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab::lzx {

// The translation size every known writer announces.
constexpr std::uint32_t kE8TranslationSize = 12000000;

// Translates one frame in place. frameIndex counts 32 KiB frames from the folder start.
void translateE8Frame(std::uint8_t *frame, std::size_t size, std::uint32_t frameIndex,
                      std::uint32_t translationSize = kE8TranslationSize);

// True when `data` looks like x86 machine code, so that the translation pays: most of
// its 0xE8 bytes are followed by a small signed displacement.
bool looksLikeX86Code(const std::uint8_t *data, std::size_t size);

} // namespace cab::lzx
