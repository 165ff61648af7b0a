#include "uPrintDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "qsID.h"
#include "uCodePage.h"
#include "uExtraBlocks.h"
#include "uFixedRuller.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uObjectFile.h"
#include "uPassportBody.h"
#include "uPrintHeader.h"
#include "uPropertiesDialogs.h"
#include "uRootDataObject.h"
#include "uSettings.h"
#include "uStorage.h"
#include "uStoredText.h"
#include "uTemplatePicture.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idTemplateName = 8704;
const QString kExtra = QStringLiteral("extra");
const QString kPassport = QStringLiteral("PASSPORT");
const QString kAddBlock = QStringLiteral("ADDBLOCK");
// Entries of "ADDBLOCK" offered at most: a template is the user's file.
constexpr int kMaxAddBlocks = 1000;

bool IsBlock(TPrintObject* c) { return c && c->AsDeepObject(); }

struct TAddBlockEntry {
  QString Section;
  int Kind = 0;
  QString Name;
};

std::vector<TAddBlockEntry> AddBlockEntries(const TIniFile& ini) {
  std::vector<TAddBlockEntry> entries;
  for (int n = 1; n <= kMaxAddBlocks; ++n) {
    const QString value = ini.ReadString(kAddBlock, QStringLiteral("OBJECT") + QString::number(n), QString());
    if (value.isEmpty()) break;
    const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2) continue;
    bool ok = false;
    const int kind = words[1].toInt(&ok);
    if (!ok) continue;
    entries.push_back({words[0], kind, ReadTranslatedIni(ini, words[0], QStringLiteral("NAME"), words[0])});
  }
  return entries;
}

// The name a new block gets: asked with `def` shown; empty when cancelled or blank.
QString AskBlockName(const QString& def) {
  QString name = def;
  if (!Ui().PromptText(TranslateGeneral(QStringLiteral("ConfirmObjectName"), QStringLiteral("Enter object name")),
                       TranslateGeneral(QStringLiteral("Name"), QStringLiteral("Name")), &name))
    return {};
  return name.trimmed();
}

}  // namespace

QString TemplateDir() { return ProgramDir() + QStringLiteral("/template/"); }

QPen DocumentLinePen(const TDrawContext& context) {
  const double lineWidth = Settings().PrintLineWidth();
  const int pixels = std::max(1, RoundEven(lineWidth * static_cast<double>(context.Zoom) * context.DpiX() / 25.4));
  return CosmeticPen(Qt::black, psSolid, pixels);
}

TPrintDocument::TStructureBatch::TStructureBatch(TPrintDocument* document) : FDocument(document) {
  ++FDocument->FStructureBatch;
}

TPrintDocument::TStructureBatch::~TStructureBatch() {
  if (--FDocument->FStructureBatch == 0 && FDocument->FStructurePending) FDocument->StructureChanged();
}

TPrintDocument::TPrintDocument() : FExtraBlocks(std::make_unique<TExtraBlocks>()) {
  FFlags = (FFlags & ~pfDeletable) | pfInsert;
  FBorder = false;
}

TPrintDocument::~TPrintDocument() {
  // The blocks go before the document's own members: nothing may report to
  // a half-destroyed document.
  FOnStructureChanged = nullptr;
  FOnResize = nullptr;
  FArea = nullptr;
  Clear();
}

void TPrintDocument::SetTemplateName(const QString& name) {
  if (name == FTemplateName) return;
  FTemplateName = name;
  SetModified(true);
}

void TPrintDocument::StructureChanged() {
  if (FStructureBatch > 0) {
    FStructurePending = true;
    return;
  }
  FStructurePending = false;
  if (FOnStructureChanged) FOnStructureChanged(this);
}

void TPrintDocument::BlockStructureChanged(TPrintObject*) { StructureChanged(); }

// --- files ---

bool TPrintDocument::LoadFromFile(const QString& path, QString* error) {
  const QString suffix = QFileInfo(path).suffix().toUpper();
  if (suffix == QLatin1String("KND")) return LoadDocumentFile(path, error);
  if (suffix == QLatin1String("KNT")) return LoadTemplateFile(path, error);
  if (error) *error = QStringLiteral("%1: not a document (.knd) or template (.knt)").arg(path);
  return false;
}

bool TPrintDocument::LoadDocumentFile(const QString& path, QString* error) {
  HRESULT hr = S_OK;
  auto storage = TStorage::OpenFile(path, &hr);
  if (!storage) {
    if (error)
      *error = hr == STG_E_FILENOTFOUND ? QStringLiteral("%1: no such file").arg(path)
                                        : QStringLiteral("%1: not a Compound File").arg(path);
    return false;
  }
  CheckFileVersion(storage.get());
  const int kind = ReadStorageKind(storage.get());
  if (kind != GetKind()) {
    if (error) *error = QStringLiteral("%1: holds a %2, not a document").arg(path, KindName(kind));
    return false;
  }
  bool loaded = false;
  {
    TStructureBatch batch(this);
    FStructurePending = true;  // whatever happened, the blocks are new
    loaded = LoadFromStorage(storage.get());
    Changed();
  }
  if (!loaded && error) *error = QStringLiteral("%1: the document cannot be read").arg(path);
  return loaded;
}

bool TPrintDocument::LoadTemplateFile(const QString& path, QString* error) {
  QString file = path;
  if (!QFileInfo(file).isFile()) file = ProgramDir() + QLatin1Char('/') + path;
  if (!QFileInfo(file).isFile()) {
    if (error) *error = QStringLiteral("%1: no such template").arg(path);
    return false;
  }
  TIniFile ini(file);
  bool loaded = false;
  {
    TStructureBatch batch(this);
    if (ini.SectionExists(kPassport)) {
      FStructurePending = true;
      Clear();
      FExtraBlocks->Clear();
      loaded = LoadFromIni(&ini, kPassport, QString());
    }
    if (loaded) {
      FTemplateName = QFileInfo(file).fileName();
      // A new sheet's heads name the scale its body is drawn at.
      const TPassportBody* body = MainBody();
      for (int i = 0; i < Count() && body; ++i)
        if (auto* head = dynamic_cast<TPrintHeader*>(GetChild(i))) head->FillScaleParameter(body->GetVertScale());
    }
    Changed();
  }
  if (!loaded && error) *error = QStringLiteral("%1: not a template (no [PASSPORT] section)").arg(path);
  return loaded;
}

bool TPrintDocument::SaveToFile(const QString& path, QString* error) {
  return SaveObjectFile(this, path, error) == S_OK;
}

bool TPrintDocument::SaveAsTemplate(const QString& path, QString* error) {
  TPrintDocument copy;
  copy.Assign(this);
  copy.ClearTemplateData();
  if (!copy.SaveToFile(path, error)) return false;
  // The selection shows the new template as it will start; an old picture of
  // a replaced template that cannot be redrawn goes, leaving the plain one.
  const QString picture = QFileInfo(path).dir().filePath(TemplatePictureFile(path));
  if (!WriteTemplatePicture(picture, RenderTemplatePicture(&copy))) QFile::remove(picture);
  return true;
}

void TPrintDocument::ClearTemplateData() {
  {
    TStructureBatch batch(this);
    for (int i = Count() - 1; i >= 0; --i) {
      TPrintObject* c = GetChild(i);
      if (auto* data = dynamic_cast<TDataObject*>(c))
        data->ClearData();
      else if (dynamic_cast<TFixedRuller*>(c))
        DeleteChild(i);
    }
  }
  Invalidate(nullptr);
}

// --- blocks ---

QString TPrintDocument::TemplatePath() const {
  // Only a file name: a damaged document must not name a file elsewhere.
  const QString file = QFileInfo(FTemplateName).fileName();
  return file.isEmpty() ? QString() : TemplateDir() + file;
}

bool TPrintDocument::HasAddBlocks() const {
  const QString path = TemplatePath();
  if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
  return !TIniFile(path).ReadString(kAddBlock, QStringLiteral("OBJECT1"), QString()).isEmpty();
}

bool TPrintDocument::AddBlockFromTemplate() {
  if (!HasAddBlocks()) return false;
  TIniFile ini(TemplatePath());
  const std::vector<TAddBlockEntry> entries = AddBlockEntries(ini);
  QStringList names;
  for (const TAddBlockEntry& e : entries) names << e.Name;
  if (names.isEmpty()) return false;
  const int choice = Ui().ChooseFromList(TranslateGeneral(QStringLiteral("AddBlock"), QStringLiteral("Add block")),
                                         QString(), names, 0);
  if (choice < 0 || choice >= static_cast<int>(entries.size())) return false;
  const TAddBlockEntry& entry = entries[static_cast<size_t>(choice)];
  std::unique_ptr<TPrintObject> block = CreateChild(entry.Kind);
  if (!block) return false;
  auto* data = dynamic_cast<TDataObject*>(block.get());
  QString name;
  if (data) {
    name = AskBlockName(entry.Name);
    if (name.isEmpty()) return false;
  }
  TPrintObject* made = block.get();
  // A body joins the sheet's bodies, above the closing heads (conclusions
  // and remarks stay at the sheet's end); a head goes to the end.
  int at = Count();
  if (entry.Kind == kindBody)
    for (int i = Count() - 1; i >= 0; --i)
      if (dynamic_cast<const TPassportBody*>(GetChild(i))) {
        at = i + 1;
        break;
      }
  {
    TStructureBatch batch(this);
    InsertChild(std::move(block), at);
    made->LoadFromIni(&ini, entry.Section, QString());
    if (data) data->SetName(name);
    // A template knows no well's depths: a body added to a sheet starts where
    // the sheet's first body does (a detail of 1450 m, not of 0 m), for the
    // user to move to the interval it details.
    if (auto* body = dynamic_cast<TPassportBody*>(made))
      if (const TPassportBody* first = MainBody(); first && first != body) body->SetStartDepth(first->GetStartDepth());
    StructureChanged();
  }
  Changed();
  Invalidate(nullptr);
  return true;
}

bool TPrintDocument::InsertExtraBlock() {
  QStringList names;
  for (int i = 0; i < FExtraBlocks->Count(); ++i) names << FExtraBlocks->GetChild(i)->Caption();
  if (names.isEmpty()) return false;
  const int choice = Ui().ChooseFromList(
      TranslateGeneral(QStringLiteral("SelectBlock"), QStringLiteral("Select block")), QString(), names, 0);
  TPrintObject* source = FExtraBlocks->GetChild(choice);
  if (!source) return false;
  std::unique_ptr<TPrintObject> block = CreateChild(source->GetKind());
  if (!block) return false;
  block->Assign(source);
  AddChild(std::move(block));
  Changed();
  Invalidate(nullptr);
  StructureChanged();
  return true;
}

bool TPrintDocument::EditExtraBlocks() { return FExtraBlocks->EditProperties(); }

TFixedRuller* TPrintDocument::AddFixedRuller(int orientation, double y, double x) {
  if (!(FLeft <= x && x <= FLeft + GetWidth() && FTop <= y && y <= FTop + GetHeight())) return nullptr;
  auto ruller = std::make_unique<TFixedRuller>();
  TFixedRuller* made = ruller.get();
  made->SetLeft(x);
  made->SetTop(y);
  AddChild(std::move(ruller));
  made->SetOrientation(orientation);
  SetSelected(false);
  made->SetSelected(true);
  Invalidate(nullptr);
  return made;
}

double TPrintDocument::DepthAt(double y) const {
  for (const auto& c : FChildren) {
    const auto* body = dynamic_cast<const TPassportBody*>(c.get());
    if (body && body->Top() <= y && y <= body->Top() + body->GetHeight()) return body->PageToDepth(y);
  }
  return std::numeric_limits<double>::quiet_NaN();
}

namespace {

// Bodies that show depths down the sheet: with a height, not laid out across.
bool ShowsDepths(const TPassportBody* body) {
  return body && body->GetHeight() > 0 && body->GetDirection() != bdHorizontal && std::isfinite(body->TopDepth()) &&
         std::isfinite(body->BottomDepth());
}

}  // namespace

double TPrintDocument::PageYAt(double depth) const {
  if (!std::isfinite(depth)) return std::numeric_limits<double>::quiet_NaN();
  // Half a micrometre of the sheet: the bottom edge's depth, read back from
  // the page, still counts as inside.
  constexpr double kSlackMM = 5e-4;
  for (const auto& c : FChildren) {
    const auto* body = dynamic_cast<const TPassportBody*>(c.get());
    if (!ShowsDepths(body)) continue;
    const double y = body->DepthToPage(depth);
    if (y >= body->Top() - kSlackMM && y <= body->BottomEdge() + kSlackMM) return y;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

QString TPrintDocument::DepthRanges() const {
  QStringList ranges;
  for (const auto& c : FChildren)
    if (const auto* body = dynamic_cast<const TPassportBody*>(c.get()); ShowsDepths(body))
      ranges << DepthText(body->TopDepth()) + QStringLiteral(" – ") + DepthText(body->BottomDepth());
  return ranges.join(QStringLiteral(", "));
}

// --- pages ---

int TPrintDocument::PagesAcross(const TPageTiling& t) const {
  return PagesAlong(GetWidth(), t.PageWidth, t.StepX(), t.ShiftX);
}

int TPrintDocument::PagesDown(const TPageTiling& t) const {
  return PagesAlong(GetHeight(), t.PageHeight, t.StepY(), t.ShiftY);
}

int TPrintDocument::PageCount(const TPageTiling& t) const { return PagesAcross(t) * PagesDown(t); }

bool TPrintDocument::Print(TPrintTarget* target, int fromPage, int toPage) {
  if (!target) return false;
  const TPageTiling tiling = TPageTiling::FromSettings(target->PageSizeMM());
  const int down = PagesDown(tiling);
  const int count = PagesAcross(tiling) * down;
  if (!target->BeginJob(TranslateGeneral(QStringLiteral("AppName"), QStringLiteral("Kerno")))) return false;
  const int first = std::max(fromPage, 1);
  const int last = std::min(toPage, count);
  Ui().BeginProgress(TranslateGeneral(QStringLiteral("Print"), QStringLiteral("Print")),
                     last >= first ? last - first + 1 : 0);
  bool ok = true;
  for (int page = first; page <= last && ok; ++page) {
    if (page > first) ok = target->NewPage();
    if (!ok) break;
    // Pages run down each column of pages, then on to the next column.
    const int column = (page - 1) / down;
    const int row = (page - 1) % down;
    TDrawContext context;
    context.DC = target->Painter();
    context.OriginX = column * tiling.StepX() - tiling.ShiftX;
    context.OriginY = row * tiling.StepY() - tiling.ShiftY;
    context.Zoom = 1;
    if (const QPaintDevice* device = context.DC ? context.DC->device() : nullptr) {
      context.ClipRect = TRect{0, 0, device->width(), device->height()};
      // Objects reaching past the page would print into its margins (a PDF
      // page has no hardware edge to cut them).
      context.DC->setClipRect(QRect(0, 0, device->width(), device->height()));
    }
    context.Options = doBorders;
    context.Pages = TPrintedPages{true, -tiling.ShiftY, tiling.StepY(), tiling.PageHeight, row};
    Draw(context);
    ok = Ui().StepProgress(page - first + 1);
  }
  Ui().EndProgress();
  if (!ok) {
    target->AbortJob();
    return false;
  }
  return target->EndJob();
}

TPassportBody* TPrintDocument::MainBody() const {
  for (int i = 0; i < Count(); ++i)
    if (auto* body = dynamic_cast<TPassportBody*>(GetChild(i))) return body;
  return nullptr;
}

void TPrintDocument::BodyScaleChanged(const TPassportBody* body, uint16_t old, uint16_t now) {
  if (!body || body != MainBody()) return;
  for (int i = 0; i < Count(); ++i)
    if (auto* head = dynamic_cast<TPrintHeader*>(GetChild(i)); head && head->FollowScale(old, now))
      head->Invalidate(head);
}

void TPrintDocument::BodyIntervalChanged(const TPassportBody* body, double oldTop, double oldBottom, double top,
                                         double bottom) {
  if (!body || body != MainBody()) return;
  for (int i = 0; i < Count(); ++i)
    if (auto* head = dynamic_cast<TPrintHeader*>(GetChild(i));
        head && head->FollowInterval(oldTop, oldBottom, top, bottom))
      head->Invalidate(head);
}

// --- block menus ---

void TPrintDocument::AddBlockMenus(TMenuEntry* menu) {
  if (!menu) return;
  RemoveBlockMenus(menu);
  auto at = menu->Items.begin() + std::min<ptrdiff_t>(2, static_cast<ptrdiff_t>(menu->Items.size()));
  for (int i = 0; i < Count(); ++i) {
    auto* block = dynamic_cast<TRootDataObject*>(GetChild(i));
    if (!block) continue;
    TMenuEntry entry = block->MenuItem();
    entry.Tag = kBlockMenuTag | static_cast<uint32_t>(i);
    at = menu->Items.insert(at, std::move(entry)) + 1;
  }
}

void TPrintDocument::RemoveBlockMenus(TMenuEntry* menu) {
  if (!menu) return;
  std::erase_if(menu->Items, [](const TMenuEntry& e) { return IsBlockMenuTag(e.Tag); });
}

bool TPrintDocument::ExecuteBlockCommand(uint32_t blockTag, uint32_t tag) {
  if (!IsBlockMenuTag(blockTag)) return false;
  auto* block = dynamic_cast<TRootDataObject*>(GetChild(static_cast<int>(blockTag & 0xFFFF)));
  return block && block->VerbExecute(tag);
}

// --- overrides ---

void TPrintDocument::GetCaption(QString* text) {
  if (text) *text = TranslateGeneral(QStringLiteral("Kerno"), QStringLiteral("Kerno"));
}

bool TPrintDocument::GetModified() const { return FModified || FExtraBlocks->GetModified(); }

void TPrintDocument::SetModified(bool value) {
  TPrintObjectList::SetModified(value);
  if (!value) FExtraBlocks->SetModified(false);
}

std::unique_ptr<TPrintObject> TPrintDocument::CreateChild(int kind) {
  return CreateKindObject(kind, {kindHead, kindBody, kindFixedRuller});
}

int TPrintDocument::GetInsertableKind(int index) {
  switch (index) {
    case 0:
      return kindHead;
    case 1:
      return kindBody;
    default:
      return 0;
  }
}

void TPrintDocument::Changed() {
  if (FFilling) return;
  // Only blocks size the document: guides span whatever it is and must not
  // hold it at an old size.
  double width = 0;
  bool any = false;
  for (const auto& c : FChildren)
    if (IsBlock(c.get())) {
      width = std::max(width, c->GetWidth());
      any = true;
    }
  if (any) {
    SetWidth(width);
    double top = 0;
    double bottom = 0;
    for (const auto& c : FChildren) {
      if (!IsBlock(c.get())) continue;
      c->SetLeft(FLeft);
      c->SetWidth(GetWidth());
      c->SetTop(top);
      top = c->Top() + c->GetHeight();
      bottom = std::max(bottom, top);
    }
    SetHeight(bottom - FTop);
  } else {
    SetHeight(0);
  }
  for (const auto& c : FChildren)
    if (auto* ruller = dynamic_cast<TFixedRuller*>(c.get())) ruller->FitToParent();
  if (FOnResize) FOnResize(this);
}

void TPrintDocument::Invalidate(TPrintObject*) {
  if (!FNoInvalidate && FArea) FArea->Repaint();
}

bool TPrintDocument::DeleteChild(int index) {
  if (!TPrintObjectList::DeleteChild(index)) return false;
  StructureChanged();
  return true;
}

void TPrintDocument::SortByTop() {
  TPrintObjectList::SortByTop();
  StructureChanged();
}

bool TPrintDocument::InsertNewChildAt(double, double, double, double) {
  std::vector<int> kinds;
  QStringList names;
  for (int i = 0;; ++i) {
    const int kind = GetInsertableKind(i);
    if (kind == 0) break;
    if (!IsKindRegistered(kind)) continue;
    kinds.push_back(kind);
    names << TranslateKindName(kind);
  }
  if (kinds.empty()) return false;
  const int choice = Ui().ChooseFromList(TranslateGeneral(QStringLiteral("BlockKind"), QStringLiteral("Block kind")),
                                         QString(), names, 0);
  if (choice < 0 || choice >= static_cast<int>(kinds.size())) return false;
  std::unique_ptr<TPrintObject> block = CreateChild(kinds[static_cast<size_t>(choice)]);
  if (!block) return false;
  if (auto* data = dynamic_cast<TDataObject*>(block.get())) {
    const QString name = AskBlockName(data->Name());
    if (name.isEmpty()) return false;
    data->SetName(name);
  }
  block->SetLeft(FLeft);
  block->SetTop(FTop + GetHeight());
  block->SetWidth(GetWidth());
  block->SetHeight(0);
  TPrintObject* made = block.get();
  AddChild(std::move(block));
  made->EditProperties();
  Changed();
  Invalidate(nullptr);
  StructureChanged();
  return true;
}

bool TPrintDocument::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintDocument"), this); }

void TPrintDocument::Assign(TPrintObject* source) {
  if (!source) return;
  if (FArea) FArea->BeginUpdate();
  {
    TStructureBatch batch(this);
    FStructurePending = true;
    TPrintObjectList::Assign(source);
    if (auto* document = dynamic_cast<TPrintDocument*>(source)) FExtraBlocks->Assign(document->FExtraBlocks.get());
  }
  if (FArea) FArea->EndUpdate();
  Invalidate(nullptr);
}

void TPrintDocument::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.DC) return;
  QPainter* dc = context.DC;
  const QPen previous = dc->pen();
  dc->setPen(DocumentLinePen(context));
  TPrintObjectList::Draw(context);
  dc->setPen(previous);
}

bool TPrintDocument::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObjectList::LoadFromQS(stream)) return false;
  FTemplateName = qsReadText(stream, idTemplateName);
  return true;
}

bool TPrintDocument::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObjectList::SaveToQS(stream)) return false;
  return qsWriteShortStr(stream, idTemplateName, Utf8ToCp1251(FTemplateName.toStdString()));
}

bool TPrintDocument::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  TStructureBatch batch(this);
  FStructurePending = true;
  return TPrintObjectList::LoadFromIni(ini, section, prefix);
}

bool TPrintDocument::LoadFromStorage(TStorage* storage) {
  TStructureBatch batch(this);
  if (!TPrintObjectList::LoadFromStorage(storage)) return false;
  FStructurePending = true;
  FExtraBlocks->Clear();
  TStorage* extra = nullptr;
  // A document without spare blocks (or with a damaged store) has none.
  if (storage->OpenStorage(kExtra, &extra) == S_OK) FExtraBlocks->LoadFromStorage(extra);
  FExtraBlocks->SetModified(false);
  return true;
}

bool TPrintDocument::SaveToStorage(TStorage* storage) {
  if (!TPrintObjectList::SaveToStorage(storage)) return false;
  TStorage* extra = nullptr;
  if (storage->CreateStorage(kExtra, &extra) != S_OK || !FExtraBlocks->SaveToStorage(extra)) {
    FModified = true;
    return false;
  }
  return true;
}

void TPrintDocument::DumpProperties(QJsonObject* json) const {
  TPrintObjectList::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("templateName")] = FTemplateName;
  QJsonObject extra;
  FExtraBlocks->DumpProperties(&extra);
  (*json)[QStringLiteral("extraBlocks")] = extra;
}
