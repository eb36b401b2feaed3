#include "kmReportPreview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "kmBitmap.h"
#include "kmReportExport.h"

namespace km {

QImage RenderPreviewPage(const TfrxReportPage& page, double zoom) {
  const int w = std::max(1, static_cast<int>(std::nearbyint(page.GetWidth() * zoom)));
  const int h = std::max(1, static_cast<int>(std::nearbyint(page.GetHeight() * zoom)));
  TBitmap bitmap(w, h, TPixelFormat::pf24bit);
  bitmap.Fill(clWhite);
  TCanvas& canvas = bitmap.Canvas();
  for (const auto& obj : page.GetObjects())
    if (const auto* view = dynamic_cast<const TfrxView*>(obj.get())) view->Draw(canvas, zoom, zoom, 0, 0);
  QImage image(w, h, QImage::Format_RGB888);
  const TBitmap& pixels = bitmap;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = pixels.ScanLine(y);  // blue, green, red
    std::uint8_t* dst = image.scanLine(y);
    for (int x = 0; x < w; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image;
}

TfrxPreviewForm::TfrxPreviewForm(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Preview"));
  resize(900, 700);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  toolbar_ = new QToolBar(this);
  layout->addWidget(toolbar_);
  scroll_ = new QScrollArea(this);
  scroll_->setBackgroundRole(QPalette::Dark);
  scroll_->setAlignment(Qt::AlignHCenter);
  paper_ = new QLabel;
  scroll_->setWidget(paper_);
  layout->addWidget(scroll_);

  first_ = toolbar_->addAction(QStringLiteral("First"), [this] { GoToPage(0); });
  prior_ = toolbar_->addAction(QStringLiteral("Prior"), [this] { GoToPage(page_ - 1); });
  page_label_ = new QLabel(toolbar_);
  toolbar_->addWidget(page_label_);
  next_ = toolbar_->addAction(QStringLiteral("Next"), [this] { GoToPage(page_ + 1); });
  last_ = toolbar_->addAction(QStringLiteral("Last"), [this] { GoToPage(PageCount() - 1); });
  toolbar_->addSeparator();
  zoom_out_ = toolbar_->addAction(QStringLiteral("Zoom out"), [this] { SetZoom(zoom_ / 1.25); });
  zoom_in_ = toolbar_->addAction(QStringLiteral("Zoom in"), [this] { SetZoom(zoom_ * 1.25); });
  toolbar_->addSeparator();
  export_menu_ = new QMenu(QStringLiteral("Export"), this);
  connect(export_menu_, &QMenu::aboutToShow, this, &TfrxPreviewForm::RefreshExportMenu);
  auto* export_button = new QToolButton(toolbar_);
  export_button->setText(QStringLiteral("Export"));
  export_button->setMenu(export_menu_);
  export_button->setPopupMode(QToolButton::InstantPopup);
  toolbar_->addWidget(export_button);
  current_only_action_ = new QAction(QStringLiteral("Current page only"), this);
  current_only_action_->setCheckable(true);
  connect(current_only_action_, &QAction::toggled, this, [this](bool on) { current_only_ = on; });
  RefreshExportMenu();
  UpdateControls();
}

TfrxPreviewForm::~TfrxPreviewForm() = default;

TfrxReport* TfrxPreviewForm::ShownReport() const {
  // An attached report that went away cleared its link; a report given
  // without attaching is the caller's to keep alive.
  return via_link_ ? GetReport() : report_;
}

int TfrxPreviewForm::PageCount() const {
  TfrxReport* report = ShownReport();
  return report ? report->GetPreviewPages().Count() : 0;
}

void TfrxPreviewForm::ShowPreparedPages(TfrxReport& report) {
  report_ = &report;
  via_link_ = GetReport() == &report;
  page_ = 0;
  Render();
  show();
}

void TfrxPreviewForm::GoToPage(int index) {
  page_ = std::clamp(index, 0, std::max(0, PageCount() - 1));
  Render();
}

void TfrxPreviewForm::SetZoom(double zoom) {
  zoom_ = std::clamp(zoom, 0.25, 8.0);
  Render();
}

void TfrxPreviewForm::Render() {
  TfrxReport* report = ShownReport();
  TfrxReportPage* page = report ? report->GetPreviewPages().GetPage(page_) : nullptr;
  image_ = page ? RenderPreviewPage(*page, zoom_) : QImage();
  paper_->setPixmap(QPixmap::fromImage(image_));
  paper_->resize(image_.size());
  UpdateControls();
}

void TfrxPreviewForm::UpdateControls() {
  const int count = PageCount();
  page_label_->setText(count ? QStringLiteral("Page %1 of %2").arg(page_ + 1).arg(count) : QStringLiteral("No pages"));
  first_->setEnabled(page_ > 0);
  prior_->setEnabled(page_ > 0);
  next_->setEnabled(page_ + 1 < count);
  last_->setEnabled(page_ + 1 < count);
  zoom_in_->setEnabled(zoom_ < 8.0);
  zoom_out_->setEnabled(zoom_ > 0.25);
}

void TfrxPreviewForm::RefreshExportMenu() {
  export_menu_->clear();
  for (TfrxCustomExportFilter* filter : frxExportFilters().Items()) {
    QAction* action = export_menu_->addAction(QString::fromStdU16String(filter->GetDescription()));
    connect(action, &QAction::triggered, this, [this, filter] {
      // The filter may have gone since the menu was built.
      const auto& items = frxExportFilters().Items();
      if (std::find(items.begin(), items.end(), filter) == items.end()) return;
      try {
        ExportWith(*filter);
      } catch (const std::exception& e) {
        QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
      }
    });
  }
  if (frxExportFilters().Count() == 0) export_menu_->addAction(QStringLiteral("(no export filters)"))->setEnabled(false);
  export_menu_->addSeparator();
  export_menu_->addAction(current_only_action_);
}

bool TfrxPreviewForm::ExportWith(TfrxCustomExportFilter& filter) {
  TfrxReport* report = ShownReport();
  if (!report) return false;
  const std::string saved = filter.GetPageNumbers();
  filter.SetPageNumbers(current_only_ ? std::to_string(page_ + 1) : std::string());
  try {
    bool done = report->Export(filter);
    filter.SetPageNumbers(saved);
    return done;
  } catch (...) {
    filter.SetPageNumbers(saved);
    throw;
  }
}

}  // namespace km
