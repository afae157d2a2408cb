#pragma once

#include <cstdint>

namespace orvane {

// The type byte that starts every value of a binary component stream.
enum TValueType : uint8_t {
    svNull = 0, // also ends every list
    svList,
    svInt8,
    svInt16,
    svInt32,
    svExtended,
    svString,
    svIdent,
    svFalse,
    svTrue,
    svBinary,
    svSet,
    svLString,
    svNil,
    svCollection,
    svSingle,
    svCurrency,
    svDate,
    svWString,
    svInt64,
    svUtf8String,
};

inline constexpr uint8_t kLastValueType = svUtf8String;

// Flags of the optional prefix byte (0xF0 | flags) before a component record.
enum TFilerFlag : uint8_t { cfInherited = 1, cfChildPos = 2, cfInline = 4 };

inline constexpr uint8_t kPrefixMarker = 0xF0;

inline constexpr char kStreamSignature[4] = {'T', 'P', 'F', '0'};

// How deep records, lists and collections may nest, counted together. The
// writer, the reader, the loader and both converters share it, so whatever
// one of them accepts the others accept too.
inline constexpr int kMaxStreamNesting = 256;

} // namespace orvane
