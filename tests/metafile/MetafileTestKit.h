#pragma once
// Helpers for the interpreter's tests: a writer of raw metafile records (for
// records our canvas never writes, and for damaged ones), a recorder that
// runs a drawing on our canvas, and a compact text form of document items so
// that tests compare item lists as lists of lines.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "../engine/RecordingEngine.h"
#include "kmMetafileCanvas.h"
#include "kmMetafileProcessor.h"

namespace km::test {

// Builds an enhanced metafile record by record; Bytes() adds the header in
// front and, unless told otherwise, EMR_EOF at the end.
class EmfBuilder {
 public:
  explicit EmfBuilder(std::uint16_t handles = 16) : handles_(handles) {}
  // A record whose fields are the given 32-bit words.
  EmfBuilder& Rec(std::uint32_t type, std::initializer_list<std::int64_t> words);
  EmfBuilder& Rec(std::uint32_t type, const std::vector<std::int64_t>& words);
  // A record of 16-bit point pairs: bounds, count, then the points.
  EmfBuilder& Poly16(std::uint32_t type, std::initializer_list<std::int16_t> xy);
  // A record with an explicit size field (for damaged records); the body is padded with zeros.
  EmfBuilder& Lying(std::uint32_t type, std::uint32_t size, std::initializer_list<std::int64_t> words);
  // The header's picture frame in 0.01 mm (all zero unless set).
  EmfBuilder& Frame(const TRect& frame) {
    frame_ = frame;
    return *this;
  }
  std::vector<std::uint8_t> Bytes(bool eof = true) const;

 private:
  std::uint16_t handles_;
  TRect frame_;
  std::vector<std::uint8_t> body_;
  std::uint32_t records_ = 0;
};

// The bit pattern of a float as a record word.
std::int64_t F(float f);
// The words of a region of rectangles (RGNDATA): header, bounds, rectangles.
std::vector<std::int64_t> RegionWords(const std::vector<TRect>& rects);

// Runs a drawing on our recording canvas and returns the metafile's bytes.
std::vector<std::uint8_t> RecordOnCanvas(const std::function<void(TMetafileCanvas&)>& draw, int width = 400,
                                         int height = 300);

// An engine with a started document whose first page receives the items.
class ItemsFixture {
 public:
  explicit ItemsFixture(int inputRes = 96);
  ~ItemsFixture();
  // Interprets the metafile into the page and returns the new items as text.
  std::vector<std::string> Run(const std::vector<std::uint8_t>& emf, double x = 0, double y = 0);
  TkmMetafileRunResult LastResult;
  TRecordingEngine Engine;
  TkmItemList& Items() { return *Engine.GetCurrentDocumentItemList(); }

 private:
  TempDir dir_;
};

// One line per item: kind, points (two decimals at most) and attributes.
std::string Describe(const TkmDocumentItem& item);
std::string DescribePen(const TPen& pen);
std::string DescribeBrush(const TBrush& brush);

}  // namespace km::test
