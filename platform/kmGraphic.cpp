#include "kmGraphic.h"

#include <fstream>
#include <iterator>

#include "kmException.h"

namespace km {

TGraphic::~TGraphic() = default;

std::unique_ptr<TGraphic> TGraphic::Clone() const { return nullptr; }

TBytes TGraphic::SaveToBytes() const {
  TBytes out;
  SaveToBytes(out);
  return out;
}

void TGraphic::SaveToStream(std::ostream& out) const {
  TBytes bytes = SaveToBytes();
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void TGraphic::LoadFromStream(std::istream& in) {
  TBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadFromBytes(bytes);
}

void TGraphic::SaveToFile(const std::string& path) const { WriteFileBytes(path, SaveToBytes()); }

void TGraphic::LoadFromFile(const std::string& path) { LoadFromBytes(ReadFileBytes(path)); }

TBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EInvalidGraphic("Cannot open file " + path);
  return TBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw EkmError("Cannot write file " + path);
}

}  // namespace km
