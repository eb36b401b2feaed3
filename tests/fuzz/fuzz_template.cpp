// Hostile bytes through the report template loader, then preparation of
// whatever loads.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kmReport.h"
#include "kmReportErrors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  km::TfrxReport report;
  try {
    report.LoadFromString(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.fr3");
  } catch (const km::EfrxTemplateError&) {
    return 0;
  }
  report.PrepareReport();
  return 0;
}
