// Construction, the document lifecycle, page processing and engine states.

#include "kmCstDocEng.h"

#include <charconv>
#include <filesystem>
#include <system_error>
#include <utility>

#include "kmDocSettingsShared.h"
#include "kmMath.h"
#include "kmScreen.h"
#include "kmShell.h"

namespace km {

namespace {

std::unique_ptr<TkmPreferences> CreateBasePreferences() { return std::make_unique<TkmPreferences>(); }

// Splits a PagesToRender value into entries: commas and spaces separate,
// double quotes group (an entry in quotes may contain spaces).
std::vector<std::string> SplitPageEntries(const std::string& text) {
  std::vector<std::string> entries;
  std::string current;
  bool quoted = false;
  bool pending = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      pending = true;
    } else if (!quoted && (c == ',' || c == ' ')) {
      if (pending || !current.empty()) entries.push_back(current);
      current.clear();
      pending = false;
    } else {
      current += c;
    }
  }
  if (pending || !current.empty()) entries.push_back(current);
  return entries;
}

// A non-empty run of decimal digits that fits an int.
bool ParsePageNumber(std::string_view text, long long& value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool AsciiEqualIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The file stream, or nil when the file cannot be created.
std::unique_ptr<TFileStream> OpenFileForWriting(const std::string& name) {
  try {
    return std::make_unique<TFileStream>(name, TFileMode::fmCreate);
  } catch (const EkmError&) {
    return nullptr;
  }
}

void CopyState(const TkmEngineState& from, TkmEngineState& to) {
  to.FFont.Assign(from.FFont);
  to.FPen.Assign(from.FPen);
  to.FBrush.Assign(from.FBrush);
  to.FImageSettings.Assign(from.FImageSettings);
  to.FTextFormatting.Assign(from.FTextFormatting);
  to.FTableSettings.Assign(from.FTableSettings);
  to.FPage.Assign(from.FPage);
  to.FTextEffects.Assign(from.FTextEffects);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TkmCustomDocumentEngine::TkmCustomDocumentEngine() {
  RefreshScreenValues();
  FInputXRes = Screen::PixelsPerInchX();
  FInputYRes = Screen::PixelsPerInchY();
  FPreferences = CreateBasePreferences();
  FTextEffects = std::make_unique<TkmTextEffects>();
  FLineArtSettings = std::make_unique<TkmLineArtSettings>();
  FFrame = std::make_unique<TkmFrame>(this);
  FPage = std::make_unique<TkmPageSettings>();
  FPageBorder = std::make_unique<TkmBorder>();
  FImageSettings = std::make_unique<TkmImageSettings>(this);
  FTextFormatting = std::make_unique<TkmTextFormatting>();
  FTableSettings = std::make_unique<TkmTableSettings>();
  FDocInfo = std::make_unique<TkmDocInfo>();
  FEmailSettings = std::make_unique<TkmEmailSettings>();
  SetMeasurementUnit(TkmUnitType::muInches);
  FIsAutoPaginate = true;
  FItemsToRender = {TkmItemsToRenderKind::irText, TkmItemsToRenderKind::irImage, TkmItemsToRenderKind::irShape};
  FCapabilities = {TkmCapabilityKind::ckText, TkmCapabilityKind::ckImage, TkmCapabilityKind::ckShape};
  FBackgroundImageDisplayType = TkmBackgroundDisplayType::dtCenter;
  FBackgroundColor = clWhite;
  FReferencePoint = TkmReferencePoint::rpBand;
}

TkmCustomDocumentEngine::~TkmCustomDocumentEngine() {
  // A shared-settings component must not keep a pointer to a destroyed engine.
  if (FSettings) FSettings->RemoveEngineFromList(this);
  FCurrentDocumentItemList = nullptr;
  FCurrentTextItemList = nullptr;
  FCanvas.reset();
}

void TkmCustomDocumentEngine::CreatePreferencesObject() {
  auto preferences = GetPreferencesClassName().Create();
  preferences->Assign(*FPreferences);
  FPreferences = std::move(preferences);
}

void TkmCustomDocumentEngine::Notification(TkmBaseComponent* component) {
  if (component == FSettings) FSettings = nullptr;
  if (component == FSetupDialog) FSetupDialog = nullptr;
  if (component == FEmailAdapter) FEmailAdapter = nullptr;
}

void TkmCustomDocumentEngine::SetSetupDialog(TkmSetupDialogComponent* Value) {
  if (FSetupDialog) RemoveFreeNotification(FSetupDialog);
  FSetupDialog = Value;
  if (Value) FreeNotification(Value);
}

void TkmCustomDocumentEngine::SetEmailAdapter(TkmEmailAdapter* Value) {
  if (FEmailAdapter) RemoveFreeNotification(FEmailAdapter);
  FEmailAdapter = Value;
  if (Value) FreeNotification(Value);
}

// ---------------------------------------------------------------------------
// Lifecycle

void TkmCustomDocumentEngine::BeginDoc() {
  if (FIsDocumentStarted) return;
  if (OnBeforeBeginDoc) OnBeforeBeginDoc(*this);
  int result = mrOk;
  if (FPreferences->GetShowSetupDialog()) {
    if (FSetupDialog) {
      FSetupDialog->AttachEngine(this);
      result = FSetupDialog->ShowModal();
      FSetupDialog->DetachEngine();
    } else {
      result = ShowSetupModal();
    }
  }
  if (result == mrCancel) {
    FEngineStatus = TkmEngineStatus::esCancelled;
    return;
  }
  InitializeEngine();
  NewPage();
  Start();
  FEngineStatus = TkmEngineStatus::esStarted;
  FTablenumber = -1;
  if (OnAfterBeginDoc) OnAfterBeginDoc(*this);
}

void TkmCustomDocumentEngine::InitializeEngine() {
  FIsDocumentStarted = true;
  FPages.clear();
  FMetafile = std::make_unique<TMetafile>();
  FHeaderItem = std::make_unique<TkmBandItem>();
  FFooterItem = std::make_unique<TkmBandItem>();
  FWatermarkItem = std::make_unique<TkmBandItem>();
  FStampItem = std::make_unique<TkmBandItem>();
  InitializeImageResources();
  FEngineStateList.clear();
  FDefaultState = SaveEngineState();
  // A private copy of the default state: FinalizeEngine restores it even when a
  // caller has cleared the state list in between.
  FDocumentStartState = std::make_unique<TkmEngineState>();
  CopyState(*FEngineStateList.back(), *FDocumentStartState);
  FEngineFileNames.clear();
  FCurrentPage = 0;
  FPageCount = 0;
}

void TkmCustomDocumentEngine::NewPage() {
  if (!FIsDocumentStarted) return;
  if (FAbortCreation) {
    FPreferences->SetOpenAfterCreate(false);
    EndDoc();
    FAbortCreation = false;
    return;
  }
  const bool eachPage = FPreferences->GetProcessAfterEachPage();
  if (FCurrentPage > 0) {
    if (TkmPageItem* page = CurrentPageItem()) page->SetOffsetY(FCurrentOffsetY);
    if (!eachPage) FlushCanvas();
    if (eachPage) ProcessPage();
  }
  ++FPageCount;
  FCurrentPage = FPageCount;
  auto page = std::make_unique<TkmPageItem>(this);
  page->GetSettings().Assign(*FPage);
  FCurrentDocumentItemList = &page->GetDocumentItems();
  FCurrentTextItemList = &page->GetTextItems();
  FCurrentOffsetY = page->GetOffsetY();
  const TkmPageSettings& ps = page->GetSettings();
  FPages.push_back(std::move(page));
  OpenCanvas(static_cast<int>(Round(ps.NativeWidth() * FInputXRes / CPixelsPerInch)),
             static_cast<int>(Round(ps.NativeHeight() * FInputYRes / CPixelsPerInch)));
  SetBandType(TkmBandType::btContent);
}

void TkmCustomDocumentEngine::EndDoc() {
  if (!FIsDocumentStarted || FCurrentPage > static_cast<int>(FPages.size())) return;
  const bool eachPage = FPreferences->GetProcessAfterEachPage();
  if (!eachPage) FlushCanvas();
  if (eachPage) {
    ProcessPage();
  } else {
    for (int n = 1; n <= static_cast<int>(FPages.size()); ++n) {
      FCurrentPage = n;
      ProcessPage();
    }
  }
  if (OnBeforeEndDoc) OnBeforeEndDoc(*this);
  FPages.clear();
  FCurrentDocumentItemList = nullptr;
  FCurrentTextItemList = nullptr;
  Finish();
  if (OnAfterEndDoc) OnAfterEndDoc(*this);
  if (FPreferences->GetOpenAfterCreate() && !FEngineFileNames.empty()) OpenShell(FEngineFileNames.front());
  if (FPreferences->GetEmailAfterCreate()) {
    CreateEMailSettingsObj();
    SendMail();
  }
  FinalizeEngine();
  FEngineStatus = TkmEngineStatus::esFinished;
}

TkmPageItem* TkmCustomDocumentEngine::CurrentPageItem() const { return GetPages(FCurrentPage - 1); }

TkmPageItem* TkmCustomDocumentEngine::GetPages(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(FPages.size())) return nullptr;
  return FPages[static_cast<std::size_t>(Index)].get();
}

void TkmCustomDocumentEngine::ProcessPage() {
  const int index = FCurrentPage - 1;
  TkmPageItem* page = GetPages(index);
  if (!page) return;  // processed (and freed) already
  // The page is freed whatever happens while it is encoded, and nothing keeps
  // pointing at it: a later EndDoc, Pages[] or the destructor never see it.
  struct FreePage {
    TkmCustomDocumentEngine& engine;
    int index;
    ~FreePage() {
      if (index >= static_cast<int>(engine.FPages.size())) return;
      auto& slot = engine.FPages[static_cast<std::size_t>(index)];
      if (!slot) return;
      if (engine.FCurrentDocumentItemList == &slot->GetDocumentItems()) engine.FCurrentDocumentItemList = nullptr;
      if (engine.FCurrentTextItemList == &slot->GetTextItems()) engine.FCurrentTextItemList = nullptr;
      engine.FreeItemsList(slot->GetTextItems());
      engine.FreeItemsList(slot->GetDocumentItems());
      slot.reset();
    }
  } freePage{*this, index};

  const bool eachPage = FPreferences->GetProcessAfterEachPage();
  if (!IsPageInRange(FCurrentPage)) {
    if (eachPage) CloseCanvas();  // that page's drawing is discarded
    return;
  }
  if (OnBeforeBeginPage) OnBeforeBeginPage(*this);
  if (eachPage) FlushCanvas();
  SetBandType(TkmBandType::btContent);
  BeginPage();
  if (OnAfterBeginPage) OnAfterBeginPage(*this);
  EncodePageBorder();
  const bool firstPage = FCurrentPage == 1;
  auto repeated = [&](TkmCapabilityKind kind) { return !FCapabilities.Contains(kind) || firstPage; };
  if (repeated(TkmCapabilityKind::ckHeader)) ProcessBand(*FHeaderItem, TkmBandType::btHeader, false);
  if (repeated(TkmCapabilityKind::ckWatermark)) ProcessBand(*FWatermarkItem, TkmBandType::btWatermark, true);
  SetBandType(TkmBandType::btContent);
  AdjustTextItemList(page->GetTextItems());
  if (!FMetafileAsImage) {
    ProcessItemsList(page->GetDocumentItems());
    ProcessTextList(page->GetTextItems());
  }
  if (repeated(TkmCapabilityKind::ckFooter)) ProcessBand(*FFooterItem, TkmBandType::btFooter, false);
  if (repeated(TkmCapabilityKind::ckStamp)) ProcessBand(*FStampItem, TkmBandType::btStamp, true);
  SetBandType(TkmBandType::btContent);
  if (OnBeforeEndPage) OnBeforeEndPage(*this);
  EndPage();
  if (OnAfterEndPage) OnAfterEndPage(*this);
}

void TkmCustomDocumentEngine::ProcessBand(TkmBandItem& band, TkmBandType type, bool adjustText) {
  SetBandType(type);
  if (adjustText) AdjustTextItemList(band.GetTextItems());
  ProcessItemsList(band.GetDocumentItems());
  ProcessTextList(band.GetTextItems());
}

void TkmCustomDocumentEngine::ProcessItemsList(TkmItemList& AList) {
  for (std::size_t i = 0; i < AList.size(); ++i) {
    TkmDocumentItem* item = AList[i].get();
    if (auto* box = dynamic_cast<TkmTextBoxItem*>(item)) {
      EncodeTextBox(*box);
    } else if (auto* text = dynamic_cast<TkmTextItem*>(item)) {
      EncodeText(*text);
    } else if (auto* stream = dynamic_cast<TkmImageStream*>(item)) {
      EncodeImageStream(*stream);
    } else if (auto* image = dynamic_cast<TkmImageItem*>(item)) {
      EncodeImage(*image);
    } else if (auto* shape = dynamic_cast<TkmShapeItem*>(item)) {
      FPenJoinStyle = shape->GetPenJoinStyle();
      FPenCapStyle = shape->GetPenCapStyle();
      EncodeShape(*shape);
    } else if (auto* polyShape = dynamic_cast<TkmPolyShapeItem*>(item)) {
      EncodePolyShape(*polyShape);
    } else if (auto* table = dynamic_cast<TkmTableItem*>(item)) {
      EncodeTable(*table);
    } else if (auto* para = dynamic_cast<TkmParagraphItem*>(item)) {
      EncodeParagraph(*para);
    } else if (auto* clip = dynamic_cast<TkmClipItem*>(item)) {
      EncodeClipRect(*clip);
    } else if (auto* path = dynamic_cast<TkmPathItem*>(item)) {
      EncodePathItem(*path);
    } else if (auto* polyPolygon = dynamic_cast<TkmPolyPolygonItem*>(item)) {
      EncodePolyPolygon(*polyPolygon);
    } else if (auto* eof = dynamic_cast<TkmEOFItem*>(item)) {
      EncodeEOF(*eof);
    } else if (auto* polyDraw = dynamic_cast<TkmPolyDrawItem*>(item)) {
      EncodePolyDraw(*polyDraw);
    } else if (item) {
      EncodeCustomItem(*item);
    }
  }
}

void TkmCustomDocumentEngine::ProcessTextList(TkmItemList& AList) {
  FIsLastElementInTextList = false;
  for (std::size_t i = 0; i < AList.size(); ++i) {
    auto* text = dynamic_cast<TkmTextItem*>(AList[i].get());
    if (!text) continue;
    FIsLastElementInTextList = i + 1 == AList.size();
    EncodeText(*text);
  }
}

void TkmCustomDocumentEngine::FreeItemsList(TkmItemList& AList) { AList.clear(); }

void TkmCustomDocumentEngine::AddDocumentItem(std::unique_ptr<TkmDocumentItem> Item) {
  if (FCurrentDocumentItemList && Item) FCurrentDocumentItemList->push_back(std::move(Item));
}

void TkmCustomDocumentEngine::FinalizeEngine() {
  if (FDocumentStartState) {
    TkmEngineState current;
    CopyState(*FDocumentStartState, current);
    FFont.Assign(current.FFont);
    FPen.Assign(current.FPen);
    FBrush.Assign(current.FBrush);
    FImageSettings->Assign(current.FImageSettings);
    FTextFormatting->Assign(current.FTextFormatting);
    FTableSettings->Assign(current.FTableSettings);
    FPage->Assign(current.FPage);
    FTextEffects->Assign(current.FTextEffects);
  }
  FCurrentDocumentItemList = nullptr;
  FCurrentTextItemList = nullptr;
  for (auto* band : {&FHeaderItem, &FFooterItem, &FWatermarkItem, &FStampItem}) {
    if (*band) {
      FreeItemsList((*band)->GetDocumentItems());
      FreeItemsList((*band)->GetTextItems());
      band->reset();
    }
  }
  FCanvas.reset();
  FMetafile.reset();
  ReleaseImageResources();
  if (FAbortCreation) DeleteEngineFiles();
  FEngineFileNames.clear();
  FEmailSettings->Attachments.clear();
  FEngineStateList.clear();
  FDocumentStartState.reset();
  FPages.clear();
  FCurrentPage = 0;
  FPageCount = 0;
  FTextRotationAngle = 0;
  FTextAlignment = TkmHAlignment::haLeft;
  FIsDocumentStarted = false;
}

void TkmCustomDocumentEngine::DeleteEngineFiles() {
  for (const std::string& name : FEngineFileNames) {
    std::error_code ec;
    std::filesystem::remove(name, ec);
  }
}

std::unique_ptr<TFileStream> TkmCustomDocumentEngine::CreateFile(const std::string& AFileName) {
  std::error_code ec;
  if (std::filesystem::exists(AFileName, ec)) std::filesystem::remove(AFileName, ec);
  std::unique_ptr<TFileStream> stream = OpenFileForWriting(AFileName);
  if (!stream) {
    FEngineStatus = TkmEngineStatus::esError;
    CancelCreate();
    throw EFileCreateError();
  }
  return stream;
}

void TkmCustomDocumentEngine::CancelCreate() {
  DeleteEngineFiles();
  FinalizeEngine();
}

void TkmCustomDocumentEngine::OpenShell(const std::string& FileName) { ShellOpen(FileName); }

bool TkmCustomDocumentEngine::IsPageInRange(int PageNo) const {
  if (FPagesToRender.empty()) return true;
  for (const std::string& entry : SplitPageEntries(FPagesToRender)) {
    if (entry.empty() || entry.find_first_not_of("-0123456789") != std::string::npos) continue;
    const std::size_t dash = entry.find('-');
    if (dash == std::string::npos) {
      long long page = 0;
      if (ParsePageNumber(entry, page) && page == PageNo) return true;
      continue;
    }
    // "5-", "-5" and "1-2-3" have a missing or non-numeric bound: skipped.
    long long lower = 0, upper = 0;
    const std::string_view view(entry);
    if (!ParsePageNumber(view.substr(0, dash), lower) || !ParsePageNumber(view.substr(dash + 1), upper)) continue;
    if (lower <= PageNo && PageNo <= upper) return true;
  }
  return false;
}

void TkmCustomDocumentEngine::SetFileName(const std::string& Value) {
  if (FIsDocumentStarted) return;
  const std::string suffix = "." + FFileExtension;
  const std::size_t dot = Value.find_last_of('.');
  const std::size_t slash = Value.find_last_of('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    const std::string extension = Value.substr(dot);
    if (AsciiEqualIgnoreCase(extension, suffix)) {
      FFileName = Value.substr(0, dot);
      return;
    }
  }
  FFileName = Value;
}

void TkmCustomDocumentEngine::SetUserStream(TStream* Value) {
  if (!FIsDocumentStarted) FUserStream = Value;
}

// ---------------------------------------------------------------------------
// Working page and engine states

void TkmCustomDocumentEngine::SetWorkingPage(int PageNo) {
  if (FPreferences->GetProcessAfterEachPage() || !FIsDocumentStarted) return;
  if (PageNo < 1 || PageNo > FPageCount) {
    ReportError(EInvalidPageNumber());
    return;
  }
  TkmPageItem* target = GetPages(PageNo - 1);
  if (!target) return;  // already processed
  if (FCurrentPage > 0) {
    if (TkmPageItem* page = CurrentPageItem()) page->SetOffsetY(FCurrentOffsetY);
    FlushCanvas();
    // The new canvas receives the target page's drawing, so it is sized for
    // that page at the input resolution, as NewPage sizes it.
    const TkmPageSettings& ps = target->GetSettings();
    OpenCanvas(static_cast<int>(Round(ps.NativeWidth() * FInputXRes / CPixelsPerInch)),
               static_cast<int>(Round(ps.NativeHeight() * FInputYRes / CPixelsPerInch)));
  }
  FCurrentPage = PageNo;
  FCurrentDocumentItemList = &target->GetDocumentItems();
  FCurrentTextItemList = &target->GetTextItems();
  FCurrentOffsetY = target->GetOffsetY();
  CalculateBandRect();
}

int TkmCustomDocumentEngine::SaveEngineState() {
  if (!FIsDocumentStarted) return -1;
  auto state = std::make_unique<TkmEngineState>();
  state->FFont.Assign(FFont);
  state->FBrush.Assign(FBrush);
  state->FPen.Assign(FPen);
  state->FImageSettings.Assign(*FImageSettings);
  state->FTextFormatting.Assign(*FTextFormatting);
  state->FTableSettings.Assign(*FTableSettings);
  state->FTextEffects.Assign(*FTextEffects);
  state->FPage.Assign(*FPage);
  FEngineStateList.push_back(std::move(state));
  return static_cast<int>(FEngineStateList.size()) - 1;
}

void TkmCustomDocumentEngine::RestoreEngineState(int Index) {
  if (!FIsDocumentStarted) return;
  const int count = static_cast<int>(FEngineStateList.size());
  if (Index == -1) Index = count - 1;
  if (Index < 0 || Index >= count) {
    ReportError(EInvalidEngineState());
    return;
  }
  const TkmEngineState& state = *FEngineStateList[static_cast<std::size_t>(Index)];
  FFont.Assign(state.FFont);
  FPen.Assign(state.FPen);
  FBrush.Assign(state.FBrush);
  FImageSettings->Assign(state.FImageSettings);
  FTextFormatting->Assign(state.FTextFormatting);
  FTableSettings->Assign(state.FTableSettings);
  FPage->Assign(state.FPage);
  FTextEffects->Assign(state.FTextEffects);
}

void TkmCustomDocumentEngine::ClearEngineStates() {
  if (FIsDocumentStarted) FEngineStateList.clear();
}

// ---------------------------------------------------------------------------
// Base behaviour of the output hooks

void TkmCustomDocumentEngine::BeginPage() {}
void TkmCustomDocumentEngine::EndPage() { FMetafileAsImage = false; }
void TkmCustomDocumentEngine::Start() {}
void TkmCustomDocumentEngine::Finish() {}
void TkmCustomDocumentEngine::EncodeCustomItem(TkmDocumentItem&) {}
int TkmCustomDocumentEngine::ShowSetupModal() { return mrOk; }

TkmPreferencesClass TkmCustomDocumentEngine::GetPreferencesClassName() const {
  return {"TkmPreferences", &CreateBasePreferences};
}

void TkmCustomDocumentEngine::CreateEMailSettingsObj() {
  auto& attachments = FEmailSettings->Attachments;
  attachments.insert(attachments.end(), FEngineFileNames.begin(), FEngineFileNames.end());
}

bool TkmCustomDocumentEngine::CheckOutputImageFormat(TkmOutputImageFormat, std::u16string&) { return true; }

}  // namespace km
