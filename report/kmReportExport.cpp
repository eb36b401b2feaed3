#include "kmReportExport.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "kmCodePage.h"
#include "kmReportErrors.h"

namespace km {

TfrxCustomExportFilter::TfrxCustomExportFilter() { frxExportFilters().Register(this); }

TfrxCustomExportFilter::~TfrxCustomExportFilter() { frxExportFilters().Unregister(this); }

std::u16string TfrxCustomExportFilter::GetDescription() const { return {}; }
TModalResult TfrxCustomExportFilter::ShowModal() { return mrOk; }
bool TfrxCustomExportFilter::Start() { return true; }
void TfrxCustomExportFilter::StartPage(TfrxReportPage&, int) {}
void TfrxCustomExportFilter::ExportObject(TfrxComponent&) {}
void TfrxCustomExportFilter::FinishPage(TfrxReportPage&, int) {}
void TfrxCustomExportFilter::Finish() {}

TfrxCustomExportFilter* TfrxExportFilterList::Get(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return filters_[static_cast<std::size_t>(index)];
}

void TfrxExportFilterList::Register(TfrxCustomExportFilter* filter) { filters_.push_back(filter); }

void TfrxExportFilterList::Unregister(TfrxCustomExportFilter* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

TfrxExportFilterList& frxExportFilters() {
  static TfrxExportFilterList list;
  return list;
}

void TfrxResources::Add(const std::string& key, const std::u16string& text) { texts_[key] = text; }

std::u16string TfrxResources::Get(const std::string& key) const {
  auto it = texts_.find(key);
  return it != texts_.end() ? it->second : Utf8ToWide(key);
}

TfrxResources& frxResources() {
  static TfrxResources resources;
  return resources;
}

namespace {

[[noreturn]] void BadPageList(const std::string& list) {
  throw EfrxError("Invalid page numbers: \"" + list + "\"");
}

int PageNumber(std::string_view text, const std::string& list) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 1) BadPageList(list);
  return value;
}

}  // namespace

std::vector<int> SelectPages(const std::string& list, int count) {
  std::set<int> pages;
  std::string_view rest = list;
  bool all = rest.find_first_not_of(' ') == std::string_view::npos;
  while (!all) {
    std::size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    std::size_t dash = item.find('-');
    int first = PageNumber(item.substr(0, dash), list);
    int last = dash == std::string_view::npos ? first : PageNumber(item.substr(dash + 1), list);
    if (last < first) BadPageList(list);
    for (int p = first; p <= std::min(last, count); ++p) pages.insert(p - 1);
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  if (all)
    for (int p = 0; p < count; ++p) pages.insert(p);
  return {pages.begin(), pages.end()};
}

}  // namespace km
