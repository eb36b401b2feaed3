#pragma once
// Whole-file reads and writes for pictures, fonts and tests.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace km {

using TBytes = std::vector<std::uint8_t>;

// Reads a whole file; throws EkmError naming the file when it cannot be opened.
TBytes ReadFileBytes(const std::string& path);
// Writes bytes to a file, replacing it; throws EkmError when it cannot be written.
void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace km
