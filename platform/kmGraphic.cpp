#include "kmGraphic.h"

#include <istream>
#include <iterator>
#include <ostream>

#include "kmException.h"
#include "kmFileBytes.h"

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

}  // namespace km
