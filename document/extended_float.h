#pragma once

#include <cstdint>

namespace orvane {

// The 80-bit extended float of the stream format, little-endian: a 64-bit
// significand with an explicit integer bit, then a 15-bit exponent biased by
// 16383 and the sign bit. Our own codec, independent of the compiler's long
// double, so streams are the same on every platform.

// Exact: every double (zero, denormals, infinities, NaN payloads) has an
// extended form.
void EncodeExtended(double value, uint8_t out[10]);

// Rounds the 64-bit significand to 53 bits, to nearest with ties to even;
// values outside the double range become infinity or zero of the same sign.
double DecodeExtended(const uint8_t in[10]);

} // namespace orvane
