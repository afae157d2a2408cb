#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace orvane {

// Converters between the binary component stream and its text form.
// Both are locale-independent, throw on any error (EReadError, EParserError)
// and leave the output array untouched unless they succeed.

// Reads the signature and one component record; bytes after it are ignored.
//
// Floats (code 5) print with 18 decimals, from the shortest significant
// digits that give back the same double (at most 17). Values of 1e16
// and more, and small values whose digits would fall below the 18th decimal,
// print as "d.dddE+n" / "d.dddE-n". NaN and infinities are no stream values
// (the reader refuses them too) and fail with "Invalid property value".
// Singles and dates print in their shortest exact form, currencies as the
// exact decimal amount. A broken structure fails with its place: "... in
// <record path> at byte <n>".
void ObjectBinaryToText(QByteArrayView binary, QByteArray& text);

// Parses one component and writes the signature and its record; text after
// the component's final "end" is ignored. Errors are "<message> on line <n>";
// a number beyond the double range is "Invalid property value", nesting
// deeper than kMaxStreamNesting "Nesting too deep".
void ObjectTextToBinary(QByteArrayView text, QByteArray& binary);

} // namespace orvane
