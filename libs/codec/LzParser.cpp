#include "LzParser.h"

#include <stdexcept>

namespace vexel::codec {

LzParser::LzParser(const LzParserParams &params, LzMatchHook *hook)
    : params_(params), finder_(params.finder), hook_(hook)
{
    if (params.minMatch < 2 || params.minMatch > params.finder.maxMatch)
        throw std::invalid_argument("shortest match out of range");
}

void LzParser::feed(std::span<const std::uint8_t> input, std::vector<LzToken> &out)
{
    while (!input.empty()) {
        const std::size_t taken = finder_.append(input);
        input = input.subspan(taken);
        parse(false, out);
    }
}

void LzParser::finish(std::vector<LzToken> &out)
{
    parse(true, out);
    if (havePending_) {
        havePending_ = false;
        if (pending_.length >= params_.minMatch)
            emit({pending_.distance, static_cast<std::uint16_t>(pending_.length)}, out);
        else
            emit({0, pendingByte_}, out);
    }
}

LzMatch LzParser::evaluate()
{
    LzMatch m = finder_.findAndInsert();
    if (hook_)
        hook_->refine(finder_.current(), finder_.available(), finder_.history(), m);
    if (m.length < params_.minMatch
        || (m.length == params_.minMatch && m.distance > params_.shortMatchMaxDistance))
        m = {};
    return m;
}

void LzParser::emit(const LzToken &token, std::vector<LzToken> &out)
{
    out.push_back(token);
    if (hook_)
        hook_->committed(token);
}

void LzParser::parse(bool final, std::vector<LzToken> &out)
{
    const std::uint32_t lookahead = params_.finder.maxMatch + 1;
    while (finder_.available() != 0 && (final || finder_.available() >= lookahead)) {
        const std::uint8_t byte = *finder_.current();
        const LzMatch here = evaluate();
        if (havePending_) {
            havePending_ = false;
            if (pending_.length != 0 && pending_.length >= here.length) {
                // The match that started one byte back wins; the cursor position is
                // already in the chains, so enter the rest of the match and move on.
                emit({pending_.distance, static_cast<std::uint16_t>(pending_.length)}, out);
                finder_.advance();
                finder_.skip(pending_.length - 2);
                continue;
            }
            emit({0, pendingByte_}, out);
        }
        if (here.length >= params_.lazyLimit) {
            emit({here.distance, static_cast<std::uint16_t>(here.length)}, out);
            finder_.advance();
            finder_.skip(here.length - 1);
            continue;
        }
        pending_ = here;
        pendingByte_ = byte;
        havePending_ = true;
        finder_.advance();
    }
}

} // namespace vexel::codec
