#pragma once

// The sanitizer build runs these programs many times slower; tests that
// compare layouts over long generated texts use shorter ones there, keeping
// the same shapes of input.
namespace orvane::test {
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kInputDivisor = 10;
#else
inline constexpr int kInputDivisor = 1;
#endif
} // namespace orvane::test
