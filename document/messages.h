#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace orvane {

// The text of message n (identifier 43000 + n) in the current language; empty when none.
QString GetMessage(int n);

// Turns the named placeholders of a message ("<page>", "<documentname>", ...)
// into "%s", in the order they stand.
QString FormatMessage(const QString& text);

// Fills "%s" and "%d" markers in order with the given values. The values are
// inserted as text, never interpreted, so user text cannot act as a format.
QString FillMessage(const QString& format, const QStringList& values);

// GetMessage(n) with its "%s"/"%d" markers filled.
QString MessageText(int n, const QStringList& values = {});

} // namespace orvane
