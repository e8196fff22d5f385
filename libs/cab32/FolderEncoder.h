// One compression method for the folders of a cabinet. The cabinet writer hands the
// folder's uncompressed stream over frame by frame (32 KiB each, the last may be
// shorter); the encoder hands back one CFDATA payload per frame, in order, possibly
// some frames later (LZX collects several frames into one block).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace cab {

class FolderEncoder {
public:
    // payload/size: the CFDATA data; frameSize: the uncompressed bytes it stands for.
    using FrameSink =
        std::function<void(const std::uint8_t *payload, std::size_t size, std::uint32_t frameSize)>;

    virtual ~FolderEncoder() = default;

    // The CFFOLDER typeCompress value.
    virtual std::uint16_t method() const = 0;
    // Starts a new folder: an empty history, and frames go to `sink`. `expectedBytes`
    // is what the folder's files measured when listed (0: not known); an encoder may
    // size its tables to it, but must take whatever the frames then bring.
    virtual void beginFolder(FrameSink sink, std::uint64_t expectedBytes) = 0;
    // One frame of the folder's stream: kFrameSize bytes except for the folder's last.
    virtual void addFrame(const std::uint8_t *data, std::size_t size) = 0;
    // Flushes every frame not yet handed to the sink.
    virtual void endFolder() = 0;
};

} // namespace cab
