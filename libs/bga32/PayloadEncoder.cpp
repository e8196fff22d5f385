#include "PayloadEncoder.h"

#include <bzlib.h>
#include <zlib.h>

namespace vexel::bga {
namespace {

constexpr std::size_t kOutStep = 64 * 1024;

class GzipEncoder : public PayloadEncoder {
public:
    explicit GzipEncoder(int level)
    {
        // windowBits 15 + 16: zlib writes the gzip wrapper; with no header set, it is the
        // minimal one (no name, MTIME 0).
        ready_ = deflateInit2(&z_, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~GzipEncoder() override
    {
        if (ready_)
            deflateEnd(&z_);
    }
    bool add(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> *out,
             std::string *reason) override
    {
        return run(data, size, Z_NO_FLUSH, out, reason);
    }
    bool finish(std::vector<std::uint8_t> *out, std::string *reason) override
    {
        return run(nullptr, 0, Z_FINISH, out, reason);
    }

private:
    bool run(const std::uint8_t *data, std::size_t size, int flush, std::vector<std::uint8_t> *out,
             std::string *reason)
    {
        if (!ready_) {
            *reason = "cannot start the gzip compressor";
            return false;
        }
        z_.next_in = const_cast<std::uint8_t *>(data);
        z_.avail_in = static_cast<uInt>(size);
        while (true) {
            const std::size_t before = out->size();
            out->resize(before + kOutStep);
            z_.next_out = out->data() + before;
            z_.avail_out = kOutStep;
            const int rc = deflate(&z_, flush);
            out->resize(before + (kOutStep - z_.avail_out));
            if (rc == Z_STREAM_ERROR) {
                *reason = "gzip compression failed";
                return false;
            }
            if (flush == Z_FINISH ? rc == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0))
                return true;
        }
    }

    z_stream z_{};
    bool ready_ = false;
};

// One libbz2 stream; runs on whichever thread the encoder below chooses.
class Bzip2Stream {
public:
    explicit Bzip2Stream(int level) { ready_ = BZ2_bzCompressInit(&bz_, level, 0, 0) == BZ_OK; }
    ~Bzip2Stream()
    {
        if (ready_)
            BZ2_bzCompressEnd(&bz_);
    }
    Bzip2Stream(const Bzip2Stream &) = delete;
    Bzip2Stream &operator=(const Bzip2Stream &) = delete;

    bool run(const std::uint8_t *data, std::size_t size, int action, std::vector<std::uint8_t> *out,
             std::string *reason)
    {
        if (!ready_) {
            *reason = "cannot start the bzip2 compressor";
            return false;
        }
        bz_.next_in = reinterpret_cast<char *>(const_cast<std::uint8_t *>(data));
        bz_.avail_in = static_cast<unsigned>(size);
        while (true) {
            const std::size_t before = out->size();
            out->resize(before + kOutStep);
            bz_.next_out = reinterpret_cast<char *>(out->data() + before);
            bz_.avail_out = kOutStep;
            const int rc = BZ2_bzCompress(&bz_, action);
            out->resize(before + (kOutStep - bz_.avail_out));
            if (rc < 0) {
                *reason = "bzip2 compression failed";
                return false;
            }
            if (action == BZ_FINISH ? rc == BZ_STREAM_END : bz_.avail_in == 0)
                return true;
        }
    }

private:
    bz_stream bz_{};
    bool ready_ = false;
};

// With a stop query, libbz2 runs on a background thread (BackgroundJob.h), so that a
// stop does not wait for it to finish sorting a block; without one, on the caller's
// thread. Either way the stream sees the same calls: the output is the same.
class Bzip2Encoder : public PayloadEncoder {
public:
    Bzip2Encoder(int level, kit::StopQuery stopped) : stream_(std::make_shared<Bzip2Stream>(level))
    {
        if (stopped)
            background_ = std::make_unique<kit::BackgroundJob>(std::move(stopped));
    }
    bool add(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> *out,
             std::string *reason) override
    {
        return run(data, size, BZ_RUN, out, reason);
    }
    bool finish(std::vector<std::uint8_t> *out, std::string *reason) override
    {
        return run(nullptr, 0, BZ_FINISH, out, reason);
    }

private:
    bool run(const std::uint8_t *data, std::size_t size, int action, std::vector<std::uint8_t> *out,
             std::string *reason)
    {
        if (!background_)
            return stream_->run(data, size, action, out, reason);
        // The step owns a copy of the input and a share of the stream: after a stop it
        // may still run while the caller reuses its buffer or drops this encoder.
        std::vector<std::uint8_t> input(data, data + size);
        return background_->run(
            [stream = stream_, input = std::move(input), action](std::vector<std::uint8_t> *output,
                                                                 std::string *why) {
                return stream->run(input.data(), input.size(), action, output, why);
            },
            out, reason);
    }

    std::shared_ptr<Bzip2Stream> stream_;
    std::unique_ptr<kit::BackgroundJob> background_;
};

} // namespace

std::unique_ptr<PayloadEncoder> makeGzipEncoder(int level)
{
    return std::make_unique<GzipEncoder>(level);
}
std::unique_ptr<PayloadEncoder> makeBzip2Encoder(int level, kit::StopQuery stopped)
{
    return std::make_unique<Bzip2Encoder>(level, std::move(stopped));
}

} // namespace vexel::bga
