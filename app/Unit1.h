#pragma once
// The main form "Form1": two buttons over the application's components. The
// buttons run the components' flows; an error a flow raises is shown in a
// message box.

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "kmAppComponents.h"
#include "kmReportPreview.h"

namespace km {

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  void btn_PreviewClick();
  void btn_PDFClick();

  TkmAppComponents& Components() { return components_; }
  QPushButton* btn_Preview = nullptr;
  QPushButton* btn_PDF = nullptr;
  // The report component's preview window (created at the first preview).
  TfrxPreviewForm* PreviewWindow() const { return preview_.get(); }

 private:
  // Runs a handler; an error goes to a message box, as an unhandled one would.
  template <typename F>
  void Guarded(F&& handler);

  TkmAppComponents components_;
  std::unique_ptr<TfrxPreviewForm> preview_;  // declared after the report it shows
};

}  // namespace km
