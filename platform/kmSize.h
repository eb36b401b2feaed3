#pragma once
// An integer size in pixels or logical units, shared by the canvases and the
// font metrics so that both can be used in one translation unit.

#include <cstdint>

namespace km {

struct TSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

}  // namespace km
