#pragma once
// Number and stream helpers of the PDF writer.

#include <cstdint>
#include <string>
#include <string_view>

#include "kmPDFSettings.h"
#include "kmStreams.h"

namespace km {

// A PDF number: fixed point, exactly four decimals, "." whatever the locale,
// a leading "-" for negative values (1 -> "1.0000", 595.2755905 -> "595.2756").
std::string NumToStr(double AN);

// Appends the whole of InputStream to OutputStream (at its end), as zlib data
// at ACompressionLevel when ACompressed, else copied; returns the number of
// bytes appended.
std::int64_t CompressStream(TMemoryStream& InputStream, TStream& OutputStream, bool ACompressed,
                            TkmCompressionLevel ACompressionLevel);

// A PDF text string of UTF-16 text in hexadecimal: "FEFF" followed by four
// upper-case digits per code unit (the UTF-16BE bytes with a byte-order mark).
std::string UnicodeHexText(std::u16string_view text);

}  // namespace km
