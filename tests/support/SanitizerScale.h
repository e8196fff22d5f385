// Input sizes for tests that also run in the sanitizer builds (VEXEL_SANITIZE). There
// every memory access is checked, so a test that streams megabytes through a codec
// takes many times as long as in the normal build. Where the fault a test looks for
// shows at a smaller size too (a few blocks, two chunk pairs, one window slide), the
// sanitizer builds run that smaller size and the normal build keeps the large one.
#pragma once

#include <cstddef>

namespace vexel::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// `normal` in the normal build, `sanitized` in a build with AddressSanitizer or
// ThreadSanitizer.
template <typename T>
constexpr T sanitizerScaled(T normal, T sanitized)
{
    return kSanitizedBuild ? sanitized : normal;
}

} // namespace vexel::test
