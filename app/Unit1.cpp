#include "Unit1.h"

#include <QMessageBox>
#include <exception>

namespace km {

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Form1"));
  // Designed at 96 pixels per inch: client area 435 x 266, button face
  // colour, Tahoma 8 points (height -11).
  setFixedSize(435, 266);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
  setPalette(pal);
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(11);
  setFont(f);

  btn_Preview = new QPushButton(QStringLiteral("Druckvorschau"), this);
  btn_Preview->setObjectName(QStringLiteral("btn_Preview"));
  btn_Preview->setGeometry(24, 24, 97, 25);
  btn_PDF = new QPushButton(QStringLiteral("PDF"), this);
  btn_PDF->setObjectName(QStringLiteral("btn_PDF"));
  btn_PDF->setGeometry(144, 24, 97, 25);
  setTabOrder(btn_Preview, btn_PDF);
  connect(btn_Preview, &QPushButton::clicked, this, &TForm1::btn_PreviewClick);
  connect(btn_PDF, &QPushButton::clicked, this, &TForm1::btn_PDFClick);

  // The report shows itself in this form's preview window.
  TfrxReport::SetPreviewProvider([this](TfrxReport& report) {
    if (!preview_) preview_ = std::make_unique<TfrxPreviewForm>();
    preview_->ShowPreparedPages(report);
  });
}

TForm1::~TForm1() { TfrxReport::SetPreviewProvider({}); }

template <typename F>
void TForm1::Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
  }
}

void TForm1::btn_PreviewClick() {
  Guarded([this] { components_.btn_PreviewClick(); });
}

void TForm1::btn_PDFClick() {
  Guarded([this] { components_.btn_PDFClick(); });
}

}  // namespace km
