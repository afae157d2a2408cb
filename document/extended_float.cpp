#include "document/extended_float.h"

#include <bit>

namespace orvane {

namespace {

constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
constexpr uint64_t kDoubleFraction = (uint64_t(1) << 52) - 1;

// value >> shift, rounded to nearest with ties to even.
uint64_t ShiftRightRounded(uint64_t value, int shift)
{
    if (shift <= 0)
        return value;
    if (shift > 64)
        return 0;
    const uint64_t kept = shift == 64 ? 0 : value >> shift;
    const uint64_t half = uint64_t(1) << (shift - 1);
    const uint64_t rest = shift == 64 ? value : value & ((half << 1) - 1);
    if (rest > half || (rest == half && (kept & 1)))
        return kept + 1;
    return kept;
}

} // namespace

void EncodeExtended(double value, uint8_t out[10])
{
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = bits >> 63;
    const int exponent = int((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & kDoubleFraction;

    uint64_t significand = 0;
    int biased = 0;
    if (exponent == 0x7FF) {
        // Infinity, or NaN with its payload (the quiet bit lands on bit 62).
        biased = 0x7FFF;
        significand = kIntegerBit | (fraction << 11);
    } else if (exponent != 0) {
        biased = exponent - kDoubleBias + kExtendedBias;
        significand = kIntegerBit | (fraction << 11);
    } else if (fraction != 0) {
        // Double denormals are normal numbers in the wider exponent range.
        const int top = 63 - std::countl_zero(fraction);
        biased = top - 1074 + kExtendedBias;
        significand = fraction << (63 - top);
    }

    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(significand >> (8 * i));
    const unsigned signAndExponent = (negative ? 0x8000u : 0u) | unsigned(biased);
    out[8] = uint8_t(signAndExponent);
    out[9] = uint8_t(signAndExponent >> 8);
}

double DecodeExtended(const uint8_t in[10])
{
    uint64_t significand = 0;
    for (int i = 0; i < 8; ++i)
        significand |= uint64_t(in[i]) << (8 * i);
    const unsigned signAndExponent = unsigned(in[8]) | (unsigned(in[9]) << 8);
    const uint64_t sign = uint64_t(signAndExponent >> 15) << 63;
    const int biased = int(signAndExponent & 0x7FFF);

    if (biased == 0x7FFF) {
        const uint64_t fraction = significand & ~kIntegerBit;
        if (fraction == 0)
            return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));
        // Keep the payload, always quiet so it never traps.
        return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52) | (uint64_t(1) << 51) | (fraction >> 11));
    }
    if (significand == 0)
        return std::bit_cast<double>(sign);

    // value = significand * 2^scale; extended denormals use the minimum
    // exponent, and unnormals (integer bit clear) are normalised here.
    int scale = (biased == 0 ? 1 : biased) - kExtendedBias - 63;
    const int zeros = std::countl_zero(significand);
    significand <<= zeros;
    scale -= zeros;
    int exponent = scale + 63; // of the leading bit

    if (exponent > kDoubleBias)
        return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));

    if (exponent >= 1 - kDoubleBias) {
        uint64_t mantissa = ShiftRightRounded(significand, 11);
        if (mantissa >> 53) {
            mantissa >>= 1;
            ++exponent;
            if (exponent > kDoubleBias)
                return std::bit_cast<double>(sign | (uint64_t(0x7FF) << 52));
        }
        return std::bit_cast<double>(sign | (uint64_t(exponent + kDoubleBias) << 52) | (mantissa & kDoubleFraction));
    }

    // Denormal result: the units are 2^-1074. A carry into bit 52 yields the
    // smallest normal number, which is exactly the right bit pattern.
    const uint64_t units = ShiftRightRounded(significand, -(scale + 1074));
    return std::bit_cast<double>(sign | units);
}

} // namespace orvane
