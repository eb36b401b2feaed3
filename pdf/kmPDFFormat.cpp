#include "kmPDFFormat.h"

#include <memory>

#include "kmFilters3.h"
#include "kmNumFormat.h"
#include "kmUtils3.h"

namespace km {

std::string NumToStr(double AN) { return FormatFixed(AN, 4); }

std::int64_t CompressStream(TMemoryStream& InputStream, TStream& OutputStream, bool ACompressed,
                            TkmCompressionLevel ACompressionLevel) {
  OutputStream.Seek(0, TSeekOrigin::soEnd);
  if (!ACompressed) {
    const std::int64_t size = InputStream.GetSize();
    OutputStream.WriteBuffer(InputStream.Memory(), static_cast<std::size_t>(size));
    return size;
  }
  TCompressionLevel level = TCompressionLevel::clMax;
  if (ACompressionLevel == TkmCompressionLevel::clFastest) level = TCompressionLevel::clFastest;
  if (ACompressionLevel == TkmCompressionLevel::clNormal) level = TCompressionLevel::clDefault;
  TkmFlateFilter flate;
  std::unique_ptr<TMemoryStream> packed = flate.Encode(InputStream, level);
  return OutputStream.CopyFrom(*packed, 0);
}

std::string UnicodeHexText(std::u16string_view text) { return "FEFF" + GetHexOfStrw(text); }

}  // namespace km
