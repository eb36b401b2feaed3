#pragma once
// The preview window of the report component: shows a report's prepared
// pages rendered through the bitmap canvas, with page navigation, zoom and an
// export menu that lists every registered export filter by its description.

#include <QImage>
#include <QWidget>

#include "kmReport.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QToolBar;

namespace km {

// The page of a report rendered at a zoom: white paper of the page's size
// times zoom (rounded halves to even) with every view of the page painted by
// its Draw at that scale.
QImage RenderPreviewPage(const TfrxReportPage& page, double zoom);

class TfrxPreviewForm : public QWidget, public TfrxPreviewControl {
  Q_OBJECT

 public:
  explicit TfrxPreviewForm(QWidget* parent = nullptr);
  ~TfrxPreviewForm() override;

  // Shows the report's prepared pages from the first one, and the window.
  // The report must stay alive while it is shown, or be attached through
  // TfrxReport::SetPreview, which clears the link when either goes.
  void ShowPreparedPages(TfrxReport& report) override;

  // The report on show; null when none (or when it went away).
  TfrxReport* ShownReport() const;
  int PageCount() const;
  // 0-based index of the page on show.
  int CurrentPage() const { return page_; }
  // Shows a page; indexes outside the report are clamped.
  void GoToPage(int index);
  double Zoom() const { return zoom_; }
  // Zoom between 0.25 and 8; re-renders the page.
  void SetZoom(double zoom);
  // The rendering on show (null image when there is no page).
  const QImage& PageImage() const { return image_; }
  // The export menu; its entries are rebuilt from the registered filters
  // each time it is about to show (RefreshExportMenu).
  QMenu* ExportMenu() const { return export_menu_; }
  void RefreshExportMenu();
  // When set, exports from this window take only the page on show.
  bool GetExportCurrentPageOnly() const { return current_only_; }
  void SetExportCurrentPageOnly(bool v) { current_only_ = v; }
  // Runs the export of the report on show through filter (the page on show
  // only when asked); false when there is no report or the filter declined.
  bool ExportWith(TfrxCustomExportFilter& filter);

  // Toolbar actions, reachable for tests.
  QAction* FirstAction() const { return first_; }
  QAction* PriorAction() const { return prior_; }
  QAction* NextAction() const { return next_; }
  QAction* LastAction() const { return last_; }
  QAction* ZoomInAction() const { return zoom_in_; }
  QAction* ZoomOutAction() const { return zoom_out_; }

 private:
  void Render();
  void UpdateControls();

  TfrxReport* report_ = nullptr;  // the one given to ShowPreparedPages
  bool via_link_ = false;         // it was the attached report
  int page_ = 0;
  double zoom_ = 1.0;
  bool current_only_ = false;
  QImage image_;
  QToolBar* toolbar_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QLabel* paper_ = nullptr;
  QLabel* page_label_ = nullptr;
  QMenu* export_menu_ = nullptr;
  QAction *first_ = nullptr, *prior_ = nullptr, *next_ = nullptr, *last_ = nullptr;
  QAction *zoom_in_ = nullptr, *zoom_out_ = nullptr, *current_only_action_ = nullptr;
};

}  // namespace km
