// Member names are the bytes the file system gave; on Linux they are usually UTF-8 but
// need not be. A format may label a name as UTF-8 only when it is: a reader trusting the
// label would otherwise reject the archive or replace the bytes. Header-only, so that
// the ZIP engine (which does not link the library kit) can use it too.
#pragma once

#include <string_view>

namespace vexel::kit {

// Well-formed UTF-8 as Unicode defines it: no overlong forms, no surrogates, nothing
// above U+10FFFF, no cut-off sequence.
inline bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

inline bool isPlainAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The names a UTF-8 flag belongs on: valid UTF-8 with at least one byte beyond ASCII.
inline bool needsUtf8Flag(std::string_view name)
{
    return !isPlainAscii(name) && isValidUtf8(name);
}

} // namespace vexel::kit
