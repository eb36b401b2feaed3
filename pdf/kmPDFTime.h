#pragma once
// Time as the PDF writer sees it: an injectable clock with its time zone, the
// PDF date text ("D:yyyymmddhhnnss" + zone suffix) and the reproducible-build
// override SOURCE_DATE_EPOCH.

#include <cstdint>
#include <functional>
#include <string>

namespace km {

// A broken-down local date and time.
struct TkmLocalTime {
  int Year = 1970;
  int Month = 1;   // 1..12
  int Day = 1;     // 1..31
  int Hour = 0;    // 0..23
  int Minute = 0;
  int Second = 0;
};

// What the writer asks of the clock: the current local time and the zone's
// base bias in minutes (UTC = local standard time + bias; daylight saving is
// not part of it). East of UTC the bias is negative.
struct TkmClockReading {
  TkmLocalTime Local;
  int BiasMinutes = 0;
};

// The clock the writer reads. Empty means the system clock and zone.
using TkmClock = std::function<TkmClockReading()>;

// The system clock: local time with daylight saving applied, and the zone's
// standard bias.
TkmClockReading SystemClockReading();

// SOURCE_DATE_EPOCH, when set to a non-negative decimal number of seconds:
// that moment in UTC (bias 0). Without it (or with a malformed value) the
// given clock, or the system clock when the given clock is empty.
TkmClockReading ReadClock(const TkmClock& clock);

// UTC date and time of a count of seconds since 1970-01-01 (proleptic
// Gregorian calendar, negative counts allowed).
TkmLocalTime UtcFromUnixSeconds(std::int64_t seconds);

// The zone suffix of a PDF date for a base bias in minutes: sign, two-digit
// hours, "'", two-digit minutes, "'" ("+01'00'" for bias -60, "-03'30'" for
// bias 210, "-00'30'" for bias 30, "+00'00'" for UTC).
std::string PDFZoneSuffix(int biasMinutes);

// "D:" + yyyymmddhhnnss + zone suffix.
std::string PDFDate(const TkmClockReading& reading);

// "yyyy-mm-dd hh:nn:ss": the time text that seeds the file identifier.
std::string TimeText(const TkmLocalTime& t);

}  // namespace km
