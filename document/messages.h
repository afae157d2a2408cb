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

// A value as it may stand in a message: characters that do not print (control
// and escape bytes from a corrupt file, bidirectional overrides) become "#n"
// as the text form writes them, and a value longer than kMaxMessageValue
// characters keeps its start and its end around "...".
inline constexpr qsizetype kMaxMessageValue = 256;
QString MessageValue(QStringView value);

// Fills "%s" and "%d" markers in order with the given values. The values are
// inserted as text through MessageValue, never interpreted, so user text can
// neither act as a format nor reach a terminal as control codes.
QString FillMessage(const QString& format, const QStringList& values);

// GetMessage(n) with its "%s"/"%d" markers filled.
QString MessageText(int n, const QStringList& values = {});

} // namespace orvane
