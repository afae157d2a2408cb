#pragma once

#include "document/data_type.h"

namespace orvane {

// Formats a date-time value (days since 30 December 1899, the fraction the
// time of day) with a date-time format string ("mmmm d, yyyy", "h:nn:ss AM/PM",
// "c", "ddddd", quoted text...) and the given settings; empty outside years 1..9999.
QString FormatDateTimePattern(QStringView format, double value, const TValueFormatSettings& settings);

} // namespace orvane
