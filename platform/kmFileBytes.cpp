#include "kmFileBytes.h"

#include <fstream>
#include <iterator>

#include "kmException.h"

namespace km {

TBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EkmError("Cannot open file " + path);
  return TBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw EkmError("Cannot write file " + path);
}

}  // namespace km
