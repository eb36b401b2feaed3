#pragma once
// The report component: a template (pages with their objects), loaded from a
// template file or the embedded default; the prepared pages made from it;
// showing them in a preview; exporting them through an export filter.
//
// Preparation works without data sources or scripts: every report page of
// the template gives one prepared page, a copy of the page whose objects lie
// flat at page-absolute positions: first the picture view
// "_pagebackground" (the area inside the margins, with the page's colour,
// frame and background picture), then each visible object in template
// order, a band followed by its visible views.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kmReportObjects.h"

namespace km {

class TfrxCustomExportFilter;
class TfrxReport;

// The name of the background view on every prepared page.
inline constexpr std::string_view frxPageBackgroundName = "_pagebackground";

// A control that shows a report's prepared pages. The report knows it only
// through this interface, so that the component stays free of any window
// toolkit. Attaching it to a report (TfrxReport::SetPreview) links both ways;
// whichever goes first clears the link.
class TfrxPreviewControl {
 public:
  virtual ~TfrxPreviewControl();
  // Shows the report's prepared pages, from the first.
  virtual void ShowPreparedPages(TfrxReport& report) = 0;
  TfrxReport* GetReport() const { return report_; }

 private:
  friend class TfrxReport;
  TfrxReport* report_ = nullptr;
};

// The prepared pages of a report, owned by it.
class TfrxPreviewPages {
 public:
  int Count() const { return static_cast<int>(pages_.size()); }
  // The page at index, or null outside 0..Count()-1.
  TfrxReportPage* GetPage(int index) const;
  void Add(std::unique_ptr<TfrxReportPage> page) { pages_.push_back(std::move(page)); }
  void Clear() { pages_.clear(); }

 private:
  std::vector<std::unique_ptr<TfrxReportPage>> pages_;
};

class TfrxReport {
 public:
  // A report holding the embedded default template.
  TfrxReport();
  ~TfrxReport();
  TfrxReport(const TfrxReport&) = delete;
  TfrxReport& operator=(const TfrxReport&) = delete;

  // ---- Template.
  const std::vector<std::unique_ptr<TfrxPage>>& GetPages() const { return pages_; }
  int PagesCount() const { return static_cast<int>(pages_.size()); }
  // The template page at index, or null.
  TfrxPage* GetPage(int index) const;
  TfrxPage& AddPage(std::unique_ptr<TfrxPage> page);
  // The first object of the template with that name, or null.
  TfrxComponent* FindObject(const std::string& name) const;
  // Removes the template and the prepared pages.
  void Clear();

  // ---- Loading. A template replaces the current one only when it was read
  // completely; on an error the report keeps what it had.
  // Reads a template file. A file that does not exist clears the report and
  // returns false, or throws EfrxError ("File not found: ...") when
  // exceptionIfNotFound is set. A file that cannot be read as a template
  // throws EfrxTemplateError. True when a template was loaded.
  bool LoadFromFile(const std::string& fileName, bool exceptionIfNotFound = false);
  // Reads a template from text; source names it in error messages.
  void LoadFromString(std::string_view xml, const std::string& source);
  // Loads the embedded default template.
  void LoadDefaultTemplate();
  // The file of the last LoadFromFile; empty for the embedded template.
  const std::string& GetFileName() const { return file_name_; }

  // ---- Preparation.
  // Prepares the pages (see above); with clearLastReport false they are added
  // after the pages prepared before. True when there is at least one
  // prepared page.
  bool PrepareReport(bool clearLastReport = true);
  TfrxPreviewPages& GetPreviewPages() { return preview_pages_; }
  const TfrxPreviewPages& GetPreviewPages() const { return preview_pages_; }

  // ---- Showing.
  // Prepares the report and shows it (ShowPreparedReport).
  void ShowReport(bool clearLastReport = true);
  // Shows the prepared pages: in the attached preview control when there is
  // one, else through the preview provider; without either, nothing happens.
  void ShowPreparedReport();
  TfrxPreviewControl* GetPreview() const { return preview_; }
  // Attaches a preview control (null detaches); not owned.
  void SetPreview(TfrxPreviewControl* preview);
  // The process-wide way to show a report that has no preview control (a
  // window library installs one); an empty function removes it.
  static void SetPreviewProvider(std::function<void(TfrxReport&)> provider);

  // ---- Export.
  // Runs the export protocol on filter over the prepared pages (all, or the
  // filter's PageNumbers): ShowModal, Start, per page StartPage,
  // ExportObject for each object, FinishPage, then Finish. Returns false when
  // ShowModal or Start declined, true otherwise. Errors of the filter
  // propagate.
  bool Export(TfrxCustomExportFilter& filter);

 private:
  std::vector<std::unique_ptr<TfrxPage>> pages_;
  TfrxPreviewPages preview_pages_;
  std::string file_name_;
  TfrxPreviewControl* preview_ = nullptr;
};

// The embedded default template as template text.
std::string_view DefaultReportTemplate();

// The prepared page of a template page (see the comment at the top).
std::unique_ptr<TfrxReportPage> PreparePage(const TfrxReportPage& page);

}  // namespace km
