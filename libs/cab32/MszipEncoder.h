// MSZIP: each frame is "CK" followed by a complete raw deflate stream (ending in a
// final block). The previous frame is preset as the deflate dictionary, because
// readers keep the 32 KiB history across frames even though the Huffman trees restart.
#pragma once

#include "FolderEncoder.h"

#include <memory>
#include <vector>

namespace cab {

class MszipEncoder final : public FolderEncoder {
public:
    // level: zlib's 1..9.
    explicit MszipEncoder(int level = 9);
    ~MszipEncoder() override;

    std::uint16_t method() const override;
    void beginFolder(FrameSink sink) override;
    void addFrame(const std::uint8_t *data, std::size_t size) override;
    void endFolder() override;

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
    FrameSink sink_;
    std::vector<std::uint8_t> history_;
    std::vector<std::uint8_t> payload_;
};

} // namespace cab
