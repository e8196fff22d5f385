#include "MszipEncoder.h"

#include "CabFormat.h"

#include <stdexcept>
#include <zlib.h>

namespace cab {

struct MszipEncoder::Stream {
    z_stream z{};
};

MszipEncoder::MszipEncoder(int level) : stream_(std::make_unique<Stream>())
{
    // Raw deflate (negative window bits); memLevel 9 for the best matches zlib can find.
    if (deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib could not be initialised");
}

MszipEncoder::~MszipEncoder() { deflateEnd(&stream_->z); }

std::uint16_t MszipEncoder::method() const { return kMethodMszip; }

void MszipEncoder::beginFolder(FrameSink sink, std::uint64_t /*expectedBytes*/)
{
    sink_ = std::move(sink);
    history_.clear();
}

void MszipEncoder::addFrame(const std::uint8_t *data, std::size_t size)
{
    z_stream &z = stream_->z;
    deflateReset(&z);
    if (!history_.empty())
        deflateSetDictionary(&z, history_.data(), uInt(history_.size()));

    payload_.assign(2 + deflateBound(&z, uLong(size)), 0);
    payload_[0] = 'C';
    payload_[1] = 'K';
    z.next_in = const_cast<Bytef *>(data);
    z.avail_in = uInt(size);
    z.next_out = payload_.data() + 2;
    z.avail_out = uInt(payload_.size() - 2);
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("zlib could not finish a frame");
    payload_.resize(payload_.size() - z.avail_out);

    history_.assign(data, data + size);
    sink_(payload_.data(), payload_.size(), std::uint32_t(size));
}

void MszipEncoder::endFolder() { history_.clear(); }

} // namespace cab
