#include "kmReport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "kmReportErrors.h"
#include "kmReportExport.h"
#include "kmReportTemplate.h"

namespace km {
namespace {

std::function<void(TfrxReport&)>& PreviewProvider() {
  static std::function<void(TfrxReport&)> provider;
  return provider;
}

}  // namespace

TfrxPreviewControl::~TfrxPreviewControl() {
  if (report_) report_->SetPreview(nullptr);
}

TfrxReportPage* TfrxPreviewPages::GetPage(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return pages_[static_cast<std::size_t>(index)].get();
}

TfrxReport::TfrxReport() { LoadDefaultTemplate(); }

TfrxReport::~TfrxReport() {
  SetPreview(nullptr);
  // Filters keep a plain pointer to the report they last exported.
  for (TfrxCustomExportFilter* filter : frxExportFilters().Items())
    if (filter->GetReport() == this) filter->SetReport(nullptr);
}

TfrxPage* TfrxReport::GetPage(int index) const {
  if (index < 0 || index >= PagesCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)].get();
}

TfrxPage& TfrxReport::AddPage(std::unique_ptr<TfrxPage> page) {
  pages_.push_back(std::move(page));
  return *pages_.back();
}

TfrxComponent* TfrxReport::FindObject(const std::string& name) const {
  for (const auto& page : pages_) {
    if (page->GetName() == name) return page.get();
    if (TfrxComponent* found = page->FindObject(name)) return found;
  }
  return nullptr;
}

void TfrxReport::Clear() {
  pages_.clear();
  preview_pages_.Clear();
  file_name_.clear();
}

bool TfrxReport::LoadFromFile(const std::string& fileName, bool exceptionIfNotFound) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(fileName, ec)) {
    Clear();
    if (exceptionIfNotFound) throw EfrxError("File not found: " + fileName);
    return false;
  }
  std::ifstream in(fileName, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw EfrxError("Cannot read the template " + fileName);
  LoadFromString(text, fileName);
  file_name_ = fileName;
  return true;
}

void TfrxReport::LoadFromString(std::string_view xml, const std::string& source) {
  std::vector<std::unique_ptr<TfrxPage>> pages = ReadReportTemplate(xml, source);
  Clear();
  pages_ = std::move(pages);
}

void TfrxReport::LoadDefaultTemplate() { LoadFromString(DefaultReportTemplate(), "(embedded template)"); }

bool TfrxReport::PrepareReport(bool clearLastReport) {
  if (clearLastReport) preview_pages_.Clear();
  for (const auto& page : pages_)
    if (const auto* report_page = dynamic_cast<const TfrxReportPage*>(page.get()))
      preview_pages_.Add(PreparePage(*report_page));
  return preview_pages_.Count() > 0;
}

void TfrxReport::ShowReport(bool clearLastReport) {
  PrepareReport(clearLastReport);
  ShowPreparedReport();
}

void TfrxReport::ShowPreparedReport() {
  if (preview_) {
    preview_->ShowPreparedPages(*this);
  } else if (auto& provider = PreviewProvider()) {
    provider(*this);
  }
}

void TfrxReport::SetPreview(TfrxPreviewControl* preview) {
  if (preview == preview_) return;
  if (preview_) preview_->report_ = nullptr;
  preview_ = preview;
  if (preview_) {
    if (preview_->report_) preview_->report_->SetPreview(nullptr);
    preview_->report_ = this;
  }
}

void TfrxReport::SetPreviewProvider(std::function<void(TfrxReport&)> provider) {
  PreviewProvider() = std::move(provider);
}

bool TfrxReport::Export(TfrxCustomExportFilter& filter) {
  filter.SetReport(this);
  if (filter.ShowModal() != mrOk) return false;
  std::vector<int> pages = SelectPages(filter.GetPageNumbers(), preview_pages_.Count());
  if (!filter.Start()) return false;
  for (int index : pages) {
    TfrxReportPage& page = *preview_pages_.GetPage(index);
    filter.StartPage(page, index);
    // A filter may change an object in place but never the list itself.
    for (std::size_t i = 0; i < page.GetObjects().size(); ++i) filter.ExportObject(*page.GetObjects()[i]);
    filter.FinishPage(page, index);
  }
  filter.Finish();
  return true;
}

}  // namespace km
