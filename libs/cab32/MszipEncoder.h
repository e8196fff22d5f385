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
    // level: zlib's 1..9. On the benchmark corpus level 7 is 0.3% larger than 9 and
    // takes 40% less time, which keeps MSZIP within 1.5x of gcab's time (bench/cab).
    explicit MszipEncoder(int level = 7);
    ~MszipEncoder() override;

    std::uint16_t method() const override;
    void beginFolder(FrameSink sink, std::uint64_t expectedBytes) override;
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
