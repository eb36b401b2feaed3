#pragma once
// The export-filter protocol of the report component, the process-wide list
// of export filters and the resource table of descriptions.
//
// A filter joins the list when it is created and leaves it when it is
// destroyed; export menus list the filters in creation order by their
// descriptions. TfrxReport::Export drives a filter: ShowModal, Start, then
// for every prepared page StartPage, ExportObject for each object of the
// page in order, FinishPage, and at the end Finish.

#include <map>
#include <string>
#include <vector>

#include "kmUiTypes.h"

namespace km {

class TfrxComponent;
class TfrxReport;
class TfrxReportPage;

class TfrxCustomExportFilter {
 public:
  // Adds the filter to frxExportFilters().
  TfrxCustomExportFilter();
  // Removes the filter from frxExportFilters().
  virtual ~TfrxCustomExportFilter();
  TfrxCustomExportFilter(const TfrxCustomExportFilter&) = delete;
  TfrxCustomExportFilter& operator=(const TfrxCustomExportFilter&) = delete;

  // The text export menus show for this filter; empty here.
  virtual std::u16string GetDescription() const;

  // Asks the user for the export's options; mrOk lets the export proceed.
  // The base shows nothing and returns mrOk.
  virtual TModalResult ShowModal();
  // Called once before the first page; false stops the export. Base: true.
  virtual bool Start();
  // Called for each exported page; index is the page's position among the
  // report's prepared pages. Base: nothing.
  virtual void StartPage(TfrxReportPage& page, int index);
  // Called for every object of the page in order: the page background view
  // first, bands and views after it. Base: nothing.
  virtual void ExportObject(TfrxComponent& obj);
  // Called after the last object of a page. Base: nothing.
  virtual void FinishPage(TfrxReportPage& page, int index);
  // Called once after the last page. Base: nothing.
  virtual void Finish();

  // The report being exported: set by TfrxReport::Export, cleared when that
  // report is destroyed. Not owned.
  TfrxReport* GetReport() const { return report_; }
  void SetReport(TfrxReport* report) { report_ = report; }
  // Whether ShowModal is meant to show a dialog; the filter's own choice.
  bool GetShowDialog() const { return show_dialog_; }
  void SetShowDialog(bool v) { show_dialog_ = v; }
  // Pages to export, 1-based: "1,3-5"; empty exports every page.
  const std::string& GetPageNumbers() const { return page_numbers_; }
  void SetPageNumbers(std::string v) { page_numbers_ = std::move(v); }

 private:
  TfrxReport* report_ = nullptr;
  bool show_dialog_ = true;
  std::string page_numbers_;
};

// The registered export filters in creation order; they are not owned.
class TfrxExportFilterList {
 public:
  int Count() const { return static_cast<int>(filters_.size()); }
  TfrxCustomExportFilter* Get(int index) const;
  const std::vector<TfrxCustomExportFilter*>& Items() const { return filters_; }

 private:
  friend class TfrxCustomExportFilter;
  void Register(TfrxCustomExportFilter* filter);
  void Unregister(TfrxCustomExportFilter* filter);
  std::vector<TfrxCustomExportFilter*> filters_;
};

// The process-wide list of export filters.
TfrxExportFilterList& frxExportFilters();

// Texts by key, such as the description of an export filter.
class TfrxResources {
 public:
  // Sets the text of key (replacing an earlier one).
  void Add(const std::string& key, const std::u16string& text);
  // The text of key; the key itself when none was added.
  std::u16string Get(const std::string& key) const;
  bool Contains(const std::string& key) const { return texts_.count(key) != 0; }

 private:
  std::map<std::string, std::u16string> texts_;
};

// The process-wide resource table.
TfrxResources& frxResources();

// The 0-based indexes of the pages that a page list ("1,3-5", 1-based)
// selects among count pages, ascending and each once; every page when the
// list is empty. Numbers past count are left out. Throws EfrxError for a
// list that is not numbers and ranges.
std::vector<int> SelectPages(const std::string& list, int count);

}  // namespace km
