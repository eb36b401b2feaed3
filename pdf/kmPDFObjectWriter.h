#pragma once
// The PDF object writer: object numbers, offsets and the cross-reference
// table. Every indirect object of a document goes through one writer, which
// remembers only where each object starts; numbers that other objects point
// to before their target exists are reserved ahead with GetNewObjNo.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kmStreams.h"

namespace km {

class TkmPDFObjectWriter {
 public:
  // "n 0 R" and "n 0 obj".
  static std::string MakeObjRef(int objNo);
  static std::string MakeObjHead(int objNo);
  // One cross-reference line without its line end: ten-digit offset, blank,
  // five-digit generation, blank, the type letter ("0000001234 00000 n").
  static std::string MakeXRef(std::int64_t offset, int genNo, char fn);

  // Starts a document on `out` (not owned; it must outlive the document) with
  // the numbers 1..reserved already handed out. Offsets are the output's size
  // at the moment an object starts, so bytes the stream already holds count.
  void Begin(TStream& out, int reserved);
  // Forgets the sink, the numbers and the offsets.
  void End();
  bool Active() const { return out_ != nullptr; }

  // The next unused object number; numbers are never reused in a document.
  int GetNewObjNo();
  int LastObjNo() const { return last_obj_no_; }

  // The output's size: the offset of the next byte written.
  std::int64_t Position() const;
  // Appends bytes as they are (stream data, "stream\r\n", the header).
  void Write(std::string_view bytes);

  // Writes one indirect object: a body containing CR LF is a dictionary body
  // and gets "<<\r\n" ... ">>" around it; then head, CR LF, body, CR LF and,
  // when `complete`, "endobj\r\n". The object's offset is recorded. Throws
  // std::logic_error for a number that was never handed out.
  void WriteObj(std::string_view body, int objNo, bool complete);

  // Records that object objNo starts at byte `pos` of the output; for writers
  // that write an object's bytes themselves. The first record of a number wins.
  void AppendXRef(std::int64_t pos, int objNo);
  bool IsWritten(int objNo) const;

  // Objects that belong to the current page but are composed before the page's
  // own objects are written (image XObjects): they collect in a buffer with
  // offsets relative to it, and FlushDeferred appends them to the output and
  // rebases their offsets.
  void WriteDeferredObj(std::string_view body, int objNo, bool complete);
  void WriteDeferred(std::string_view bytes);
  std::int64_t DeferredPosition() const { return static_cast<std::int64_t>(deferred_.size()); }
  void AppendDeferredXRef(std::int64_t posInBuffer, int objNo);
  void FlushDeferred();
  void ClearDeferred();

  // Writes the cross-reference table (one subsection 0..LastObjNo) and the
  // trailer with the given dictionary keys, ending in "%%EOF". A number that
  // was handed out but never written gets a free entry, so every entry keeps
  // its place.
  void WriteXRefAndTrailer(std::string_view trailerKeys);

 private:
  static std::string ObjectText(std::string_view body, int objNo, bool complete);
  void CheckNumber(int objNo) const;

  TStream* out_ = nullptr;
  int last_obj_no_ = 0;
  std::vector<std::int64_t> offsets_;  // by object number; -1 = not written
  std::string deferred_;
  std::vector<std::pair<std::int64_t, int>> deferred_xref_;
};

}  // namespace km
