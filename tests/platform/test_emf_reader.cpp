// The EMF reader: damaged input, the shared corpus and an independent producer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "kmByteReader.h"
#include "kmEmfReader.h"
#include "kmEmfTypes.h"
#include "kmGraphic.h"
#include "kmMetafile.h"
#include "kmMetafileCanvas.h"

namespace km {
namespace {

using namespace emf;
namespace fs = std::filesystem;

TBytes SmallEmf() {
  TMetafile mf;
  {
    TMetafileCanvas c(mf);
    c.Rectangle(0, 0, 10, 10);
    c.LineTo(5, 5);
  }
  return mf.Data();
}

void PutU32(TBytes& b, std::size_t off, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(EmfReader, StopsCleanlyAtDamage) {
  const TBytes good = SmallEmf();
  TEmfReadResult base = ReadEmfRecords(good);
  ASSERT_TRUE(base.Complete());
  ASSERT_GE(base.Records.size(), 4u);
  const std::size_t second = base.Records[1].Offset;  // the first record after the header

  struct Case {
    const char* name;
    std::function<void(TBytes&)> damage;
    TEmfReadStatus status;
    std::size_t records;  // records delivered before the stop
  };
  const std::vector<Case> cases = {
      {"size below 8", [&](TBytes& b) { PutU32(b, second + 4, 4); }, TEmfReadStatus::rsDamaged, 1},
      {"size zero", [&](TBytes& b) { PutU32(b, second + 4, 0); }, TEmfReadStatus::rsDamaged, 1},
      {"size not a multiple of 4", [&](TBytes& b) { PutU32(b, second + 4, 13); }, TEmfReadStatus::rsDamaged, 1},
      {"size past the end", [&](TBytes& b) { PutU32(b, second + 4, 0x7FFFFFF0); }, TEmfReadStatus::rsDamaged, 1},
      {"size wraps", [&](TBytes& b) { PutU32(b, second + 4, 0xFFFFFFFC); }, TEmfReadStatus::rsDamaged, 1},
      {"truncated inside a record", [&](TBytes& b) { b.resize(second + 6); }, TEmfReadStatus::rsDamaged, 1},
      {"truncated after a record", [&](TBytes& b) { b.resize(second); }, TEmfReadStatus::rsNoEof, 1},
      {"no EOF record", [&](TBytes& b) { b.resize(b.size() - 20); }, TEmfReadStatus::rsNoEof,
       base.Records.size() - 1},
      {"not a metafile", [&](TBytes& b) { PutU32(b, 40, 0x12345678); }, TEmfReadStatus::rsNotEmf, 0},
      {"header size too small", [&](TBytes& b) { PutU32(b, 4, 40); }, TEmfReadStatus::rsNotEmf, 0},
      {"empty", [&](TBytes& b) { b.clear(); }, TEmfReadStatus::rsNotEmf, 0},
  };
  for (const Case& c : cases) {
    TBytes bytes = good;
    c.damage(bytes);
    TEmfReadResult r = ReadEmfRecords(bytes);
    EXPECT_EQ(r.Status, c.status) << c.name;
    EXPECT_EQ(r.Records.size(), c.records) << c.name;
    if (c.status != TEmfReadStatus::rsComplete) {
      EXPECT_FALSE(r.Error.empty()) << c.name;
    }
    for (const auto& rec : r.Records) {
      EXPECT_LE(rec.Offset + rec.Size, bytes.size()) << c.name;
      EXPECT_EQ(rec.Bytes.size(), rec.Size) << c.name;
    }
  }
}

TEST(EmfReader, ToleratesHeaderCountsThatDisagree) {
  TBytes bytes = SmallEmf();
  const std::size_t n = ReadEmfRecords(bytes).Records.size();
  for (auto [records, size] : {std::pair<std::uint32_t, std::uint32_t>{static_cast<std::uint32_t>(n) + 1, 0},
                               {static_cast<std::uint32_t>(n) - 1, 0}, {0, 100}, {0, 0xFFFFFFFF}}) {
    TBytes b = bytes;
    if (records) PutU32(b, 52, records);
    if (size) PutU32(b, 48, size);
    TEmfReadResult r = ReadEmfRecords(b);
    EXPECT_TRUE(r.Complete()) << records << " " << size;
    EXPECT_EQ(r.Records.size(), n);
  }
  // Bytes after EMR_EOF are not records.
  bytes.insert(bytes.end(), {1, 2, 3});
  EXPECT_TRUE(ReadEmfRecords(bytes).Complete());
}

std::vector<fs::path> CorpusFiles(const std::string& sub) {
  std::vector<fs::path> files;
  fs::path dir = fs::path(KM_CORPUS_DIR) / "emf" / sub;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(EmfReader, WalksEveryRealAndReferenceFileToEof) {
  std::size_t files = 0;
  for (const char* sub : {"real", "reference"}) {
    for (const fs::path& p : CorpusFiles(sub)) {
      TBytes bytes = ReadFileBytes(p.string());
      TEmfReadResult r = ReadEmfRecords(bytes);
      EXPECT_TRUE(r.Complete()) << p << ": " << r.Error;
      ASSERT_FALSE(r.Records.empty()) << p;
      EXPECT_EQ(r.Records.front().Type, EMR_HEADER) << p;
      EXPECT_EQ(r.Records.back().Type, EMR_EOF) << p;
      ++files;
    }
  }
  EXPECT_GE(files, 100u);
}

TEST(EmfReader, HandlesEveryCorruptedFile) {
  std::size_t stopped = 0, files = 0;
  for (const fs::path& p : CorpusFiles("corrupted")) {
    TBytes bytes = ReadFileBytes(p.string());
    TEmfReadResult r = ReadEmfRecords(bytes);
    std::size_t end = 0;
    for (const auto& rec : r.Records) {
      EXPECT_GE(rec.Size, 8u);
      EXPECT_EQ(rec.Size % 4, 0u);
      EXPECT_EQ(rec.Offset, end) << p;  // records are contiguous
      end = rec.Offset + rec.Size;
    }
    EXPECT_LE(end, bytes.size()) << p;
    if (!r.Complete()) ++stopped;
    ++files;
  }
  EXPECT_EQ(files, 21u);
  EXPECT_GT(stopped, 0u) << "the corrupted files should not all read as complete";
}

TEST(EmfReader, ReadsMetafilesOfAnIndependentProducer) {
  TBytes bytes = ReadFileBytes(KM_LIBEMF_FIXTURE);
  TEmfReadResult r = ReadEmfRecords(bytes);
  ASSERT_TRUE(r.Complete()) << r.Error;
  std::vector<std::uint32_t> types;
  for (const auto& rec : r.Records) types.push_back(rec.Type);
  for (std::uint32_t t : {EMR_HEADER, EMR_CREATEPEN, EMR_RECTANGLE, EMR_ELLIPSE, EMR_MOVETOEX, EMR_LINETO, EMR_EOF})
    EXPECT_NE(std::find(types.begin(), types.end(), t), types.end()) << EmfRecordName(t);
  TEmfHeader h = ParseEmfHeader(r.Records.front());
  EXPECT_EQ(h.Records, r.Records.size());
  EXPECT_EQ(h.Bytes, bytes.size());
  // The metafile loads as a picture with its frame.
  TMetafile mf;
  mf.LoadFromBytes(bytes);
  EXPECT_EQ(mf.GetMMWidth(), 5000);
  EXPECT_EQ(mf.GetMMHeight(), 4000);
}

TEST(EmfReader, WindowsMetafilesAreRefusedWithAClearError) {
  // A plain WMF header (type 1, 9 words, version 0x0300) and a placeable one.
  TBytes plain = {1, 0, 9, 0, 0, 3, 0x24, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0};
  TBytes placeable = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const TBytes& b : {plain, placeable}) {
    TMetafile mf;
    try {
      mf.LoadFromBytes(b);
      FAIL() << "a WMF was accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.what()).find("Windows metafiles (WMF) are not supported"), std::string::npos);
    }
    EXPECT_TRUE(mf.Empty());
  }
  TMetafile mf;
  EXPECT_THROW(mf.LoadFromBytes(TBytes{'B', 'M', 0, 0}), EInvalidGraphic);
}

TEST(ByteReader, ChecksEveryAccess) {
  const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6};
  ByteReader b(data);
  EXPECT_EQ(b.U32(0), 0x04030201u);
  EXPECT_EQ(b.U16(4), 0x0605);
  EXPECT_EQ(b.I16(4), 0x0605);
  EXPECT_THROW(b.U32(3), EReadError);
  EXPECT_THROW(b.U8(6), EReadError);
  EXPECT_THROW(b.Slice(2, SIZE_MAX), EReadError);
  EXPECT_THROW(b.Slice(SIZE_MAX, 2), EReadError);
  EXPECT_TRUE(b.Has(6, 0));
  EXPECT_FALSE(b.Has(7, 0));
}

}  // namespace
}  // namespace km
