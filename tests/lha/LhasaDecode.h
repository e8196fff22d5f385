// Decodes a raw -lhN- stream with liblhasa, in process: an independent decoder
// for the encoder's round-trip tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::test {

// Returns the decoded bytes; stops after `originalSize` bytes or when the decoder
// gives no more. *consumed (when given) receives the compressed bytes the decoder
// asked for.
std::vector<std::uint8_t> lhasaDecode(const std::string &methodId,
                                      const std::vector<std::uint8_t> &packed,
                                      std::size_t originalSize, std::size_t *consumed = nullptr);

} // namespace vexel::test
