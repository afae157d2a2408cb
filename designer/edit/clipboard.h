#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// The registered clipboard format of copied report components.
const QString& ComponentClipboardFormat();

// Puts a component stream on the clipboard with its length in decimal as the
// plain text, so that designer instances exchange components.
void PutComponentStream(const QByteArray& stream);
// Whether the clipboard holds copied components.
bool HasComponentStream();
// The copied components' stream; empty when the clipboard holds none. The
// length text is checked against the bytes there: a length that is not a
// decimal number, is negative or exceeds them raises EDesignError.
QByteArray TakeComponentStream();
// The same check on given bytes and text.
QByteArray ComponentStreamOf(const QByteArray& block, const QString& lengthText);

} // namespace orvane
