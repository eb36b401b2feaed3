#include "kmPDFObjectWriter.h"

#include <charconv>
#include <stdexcept>

namespace km {

namespace {

std::string Dec(std::int64_t v) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, end);
}

std::string ZeroPadded(std::int64_t v, std::size_t width) {
  std::string s = Dec(v);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

// A cross-reference offset has ten digits.
constexpr std::int64_t kMaxOffset = 9'999'999'999;

}  // namespace

std::string TkmPDFObjectWriter::MakeObjRef(int objNo) { return Dec(objNo) + " 0 R"; }

std::string TkmPDFObjectWriter::MakeObjHead(int objNo) { return Dec(objNo) + " 0 obj"; }

std::string TkmPDFObjectWriter::MakeXRef(std::int64_t offset, int genNo, char fn) {
  return ZeroPadded(offset, 10) + " " + ZeroPadded(genNo, 5) + " " + std::string(1, fn);
}

void TkmPDFObjectWriter::Begin(TStream& out, int reserved) {
  out_ = &out;
  last_obj_no_ = reserved;
  offsets_.assign(static_cast<std::size_t>(reserved) + 1, -1);
  ClearDeferred();
}

void TkmPDFObjectWriter::End() {
  out_ = nullptr;
  last_obj_no_ = 0;
  offsets_.clear();
  ClearDeferred();
}

int TkmPDFObjectWriter::GetNewObjNo() {
  ++last_obj_no_;
  offsets_.resize(static_cast<std::size_t>(last_obj_no_) + 1, -1);
  return last_obj_no_;
}

std::int64_t TkmPDFObjectWriter::Position() const { return out_ ? out_->GetSize() : 0; }

void TkmPDFObjectWriter::Write(std::string_view bytes) {
  if (out_ == nullptr) throw std::logic_error("PDF object writer: no document started");
  out_->Seek(0, TSeekOrigin::soEnd);
  out_->WriteString(bytes);
}

void TkmPDFObjectWriter::CheckNumber(int objNo) const {
  if (objNo < 1 || objNo > last_obj_no_)
    throw std::logic_error("PDF object writer: object " + Dec(objNo) + " was never reserved");
}

std::string TkmPDFObjectWriter::ObjectText(std::string_view body, int objNo, bool complete) {
  std::string text = MakeObjHead(objNo) + "\r\n";
  if (body.find("\r\n") != std::string_view::npos) {
    text += "<<\r\n";
    text += body;
    text += ">>";
  } else {
    text += body;
  }
  text += "\r\n";
  if (complete) text += "endobj\r\n";
  return text;
}

void TkmPDFObjectWriter::WriteObj(std::string_view body, int objNo, bool complete) {
  CheckNumber(objNo);
  AppendXRef(Position(), objNo);
  Write(ObjectText(body, objNo, complete));
}

void TkmPDFObjectWriter::AppendXRef(std::int64_t pos, int objNo) {
  CheckNumber(objNo);
  if (pos < 0 || pos > kMaxOffset)
    throw std::length_error("PDF object writer: offset outside the cross-reference range");
  std::int64_t& slot = offsets_[static_cast<std::size_t>(objNo)];
  if (slot < 0) slot = pos;
}

bool TkmPDFObjectWriter::IsWritten(int objNo) const {
  return objNo >= 1 && objNo <= last_obj_no_ && offsets_[static_cast<std::size_t>(objNo)] >= 0;
}

void TkmPDFObjectWriter::WriteDeferredObj(std::string_view body, int objNo, bool complete) {
  CheckNumber(objNo);
  AppendDeferredXRef(DeferredPosition(), objNo);
  deferred_ += ObjectText(body, objNo, complete);
}

void TkmPDFObjectWriter::WriteDeferred(std::string_view bytes) { deferred_.append(bytes); }

void TkmPDFObjectWriter::AppendDeferredXRef(std::int64_t posInBuffer, int objNo) {
  CheckNumber(objNo);
  deferred_xref_.emplace_back(posInBuffer, objNo);
}

void TkmPDFObjectWriter::FlushDeferred() {
  const std::int64_t base = Position();
  for (const auto& [pos, objNo] : deferred_xref_) AppendXRef(pos + base, objNo);
  if (!deferred_.empty()) Write(deferred_);
  ClearDeferred();
}

void TkmPDFObjectWriter::ClearDeferred() {
  deferred_.clear();
  deferred_xref_.clear();
}

void TkmPDFObjectWriter::WriteXRefAndTrailer(std::string_view trailerKeys) {
  const std::int64_t start = Position();
  // Free entries form a chain: each names the next free number, the last one 0.
  std::vector<int> free_numbers;
  for (int i = 1; i <= last_obj_no_; ++i)
    if (!IsWritten(i)) free_numbers.push_back(i);
  auto next_free = [&](std::size_t k) { return k < free_numbers.size() ? free_numbers[k] : 0; };

  std::string text = "xref\r\n0 " + Dec(last_obj_no_ + 1) + "\r\n";
  text += MakeXRef(next_free(0), 65535, 'f') + "\r\n";
  std::size_t k = 0;
  for (int i = 1; i <= last_obj_no_; ++i) {
    if (IsWritten(i)) {
      text += MakeXRef(offsets_[static_cast<std::size_t>(i)], 0, 'n') + "\r\n";
    } else {
      ++k;
      text += MakeXRef(next_free(k), 65535, 'f') + "\r\n";
    }
  }
  text += "trailer\r\n<<\r\n";
  text += trailerKeys;
  text += "\r\n>>\r\nstartxref\r\n" + Dec(start) + "\r\n%%EOF";
  Write(text);
}

}  // namespace km
