#include "LhasaDecode.h"

extern "C" {
#include <lha_decoder.h>
}

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vexel::test {

namespace {

struct Source {
    const std::vector<std::uint8_t> *data;
    std::size_t at = 0;
};

size_t readPacked(void *buf, size_t len, void *user)
{
    auto *src = static_cast<Source *>(user);
    const std::size_t n = std::min(len, src->data->size() - src->at);
    std::memcpy(buf, src->data->data() + src->at, n);
    src->at += n;
    return n;
}

} // namespace

std::vector<std::uint8_t> lhasaDecode(const std::string &methodId,
                                      const std::vector<std::uint8_t> &packed,
                                      std::size_t originalSize, std::size_t *consumed)
{
    std::string name = methodId;
    LHADecoderType *type = lha_decoder_for_name(name.data());
    if (!type)
        throw std::runtime_error("liblhasa knows no method " + methodId);
    Source src{&packed};
    LHADecoder *decoder = lha_decoder_new(type, readPacked, &src, originalSize);
    if (!decoder)
        throw std::runtime_error("liblhasa could not start a decoder");
    std::vector<std::uint8_t> out;
    std::uint8_t buf[8192];
    while (out.size() < originalSize) {
        const size_t n = lha_decoder_read(decoder, buf, sizeof buf);
        if (n == 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    lha_decoder_free(decoder);
    if (consumed)
        *consumed = src.at;
    return out;
}

} // namespace vexel::test
