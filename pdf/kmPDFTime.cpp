#include "kmPDFTime.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace km {

namespace {

// Decimal digits of v, left-padded with zeros to at least `width` digits.
std::string Digits(long long v, int width) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, end);
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
  return s;
}

// The value of SOURCE_DATE_EPOCH when it is a plain non-negative decimal.
bool SourceDateEpoch(std::int64_t& seconds) {
  const char* env = std::getenv("SOURCE_DATE_EPOCH");
  if (env == nullptr || *env == '\0') return false;
  std::string_view text(env);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  return ec == std::errc() && end == text.data() + text.size() && seconds >= 0;
}

}  // namespace

TkmLocalTime UtcFromUnixSeconds(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds moment{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(moment);
  const year_month_day ymd{day};
  const hh_mm_ss<std::chrono::seconds> tod{moment - day};
  TkmLocalTime t;
  t.Year = static_cast<int>(ymd.year());
  t.Month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.Day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.Hour = static_cast<int>(tod.hours().count());
  t.Minute = static_cast<int>(tod.minutes().count());
  t.Second = static_cast<int>(tod.seconds().count());
  return t;
}

TkmClockReading SystemClockReading() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);  // also runs tzset(), which fills `timezone`
  TkmClockReading r;
  r.Local.Year = local.tm_year + 1900;
  r.Local.Month = local.tm_mon + 1;
  r.Local.Day = local.tm_mday;
  r.Local.Hour = local.tm_hour;
  r.Local.Minute = local.tm_min;
  r.Local.Second = local.tm_sec;
  r.BiasMinutes = static_cast<int>(timezone / 60);  // seconds west of UTC, standard time
  return r;
}

TkmClockReading ReadClock(const TkmClock& clock) {
  std::int64_t epoch = 0;
  if (SourceDateEpoch(epoch)) {
    TkmClockReading r;
    r.Local = UtcFromUnixSeconds(epoch);
    r.BiasMinutes = 0;
    return r;
  }
  return clock ? clock() : SystemClockReading();
}

std::string PDFZoneSuffix(int biasMinutes) {
  // The sign comes from the bias itself, so a zone less than an hour west of
  // UTC (hours part 0) still reads as west.
  const bool west = biasMinutes > 0;
  const int magnitude = west ? biasMinutes : -biasMinutes;
  return std::string(west ? "-" : "+") + Digits(magnitude / 60, 2) + "'" +
         Digits(magnitude % 60, 2) + "'";
}

std::string PDFDate(const TkmClockReading& r) {
  const TkmLocalTime& t = r.Local;
  return "D:" + Digits(t.Year, 4) + Digits(t.Month, 2) + Digits(t.Day, 2) + Digits(t.Hour, 2) +
         Digits(t.Minute, 2) + Digits(t.Second, 2) + PDFZoneSuffix(r.BiasMinutes);
}

std::string TimeText(const TkmLocalTime& t) {
  return Digits(t.Year, 4) + "-" + Digits(t.Month, 2) + "-" + Digits(t.Day, 2) + " " +
         Digits(t.Hour, 2) + ":" + Digits(t.Minute, 2) + ":" + Digits(t.Second, 2);
}

}  // namespace km
