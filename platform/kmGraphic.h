#pragma once
// Pictures: the common base of bitmaps, JPEG and PNG images and metafiles.
// Each picture knows its pixel size, draws itself on a canvas, copies itself
// and saves to bytes deterministically (equal pictures give equal bytes, so
// the engine's image store can recognise repeats by a digest of them).

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "kmCanvas.h"
#include "kmFileBytes.h"

namespace km {


class TGraphic {
 public:
  virtual ~TGraphic();

  // Pixel size.
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // True when the picture holds no image.
  virtual bool Empty() const = 0;

  // A new picture of the same class with the same content, or an empty
  // pointer when this picture cannot be copied; the caller reports that
  // ("Unknown Graphics format").
  virtual std::unique_ptr<TGraphic> Clone() const;

  // Writes the picture in its own file format. Deterministic: the same
  // picture always gives the same bytes.
  virtual void SaveToBytes(TBytes& out) const = 0;
  // Replaces the content by the picture in bytes; throws EInvalidGraphic
  // when the bytes are not a picture of this class.
  virtual void LoadFromBytes(std::span<const std::uint8_t> bytes) = 0;

  TBytes SaveToBytes() const;
  void SaveToStream(std::ostream& out) const;
  // Reads the rest of the stream.
  void LoadFromStream(std::istream& in);
  void SaveToFile(const std::string& path) const;
  void LoadFromFile(const std::string& path);

  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; }

  // Paints the picture into dest (logical units of the canvas). Called by
  // TCanvas::Draw and StretchDraw.
  virtual void DrawOn(TCanvas& canvas, const TRect& dest) const = 0;

 private:
  bool transparent_ = false;
};

}  // namespace km
