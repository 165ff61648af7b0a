#include "uPrintObject.h"

#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <iterator>

#include "qs.h"
#include "qsID.h"
#include "uBlockCache.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPropertiesDialogs.h"
#include "uSaveContainer.h"
#include "uSettings.h"
#include "uStorage.h"
#include "uUiServices.h"

namespace {

// Compound stream IDs of the base class.
constexpr int32_t idLeftInt = 1;
constexpr int32_t idTopInt = 2;
constexpr int32_t idWidthInt = 3;
constexpr int32_t idHeightInt = 4;
constexpr int32_t idKind = 7;
constexpr int32_t idLeft = 8;
constexpr int32_t idTop = 9;
constexpr int32_t idWidth = 10;
constexpr int32_t idHeight = 11;
constexpr int32_t idBorder = 16;
constexpr int32_t idDoubleGeometry = 18;
constexpr int32_t idFlags = 19;

// Grab zone around a resizable edge, in page mm whatever the zoom.
constexpr double kGrabZone = 2.0;

// A caption fit for a one-line question: a description text's caption is its
// whole text, lines and closing full stop included ("...fine sand.?").
QString QuestionCaption(const QString& caption) {
  constexpr int kLongest = 60;
  QString text = caption.simplified();
  if (text.size() > kLongest) {
    text.truncate(kLongest);
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '));
    if (space > kLongest / 2) text.truncate(space);
    while (!text.isEmpty() && QStringLiteral(" ,;:.-").contains(text.back())) text.chop(1);
    return text + QChar(0x2026);
  }
  while (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char(':'))) text.chop(1);
  return text;
}

}  // namespace

void* TPrintObject::operator new(size_t size) {
  if constexpr (BlockCache::kForObjects) return BlockCache::Allocate(size);
  return ::operator new(size);
}

void TPrintObject::operator delete(void* block, size_t size) noexcept {
  if constexpr (BlockCache::kForObjects)
    BlockCache::Release(block, size);
  else
    ::operator delete(block);
}

TPrintObject::TPrintObject() = default;
TPrintObject::~TPrintObject() = default;

void TPrintObject::SetModified(bool value) {
  FModified = value;
  if (value && FParent) FParent->SetModified(true);
}

void TPrintObject::SetHeight(double value) {
  if (value == FHeight) return;
  FHeight = value;
  SetModified(true);
}

void TPrintObject::SetLeft(double value) {
  if (value == FLeft) return;
  FLeft = value;
  SetModified(true);
}

void TPrintObject::SetTop(double value) {
  if (value == FTop) return;
  FTop = value;
  SetModified(true);
}

void TPrintObject::SetWidth(double value) {
  if (value == GetWidth()) return;
  FWidth = value;
  SetModified(true);
}

void TPrintObject::DrawSelection(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.Has(doSelection) || !FSelected || !context.DC) return;
  const TRect r = GetPixelRect(context);
  if (!r.Intersects(context.ClipRect)) return;
  QPainter* dc = context.DC;
  DrawDashedOutline(dc, r, context.ClipRect, Qt::black);
  const QPen previous = dc->pen();
  dc->setPen(CosmeticPen(Qt::black, psDash, 1));
  const int midX = r.Left + r.Width() / 2;
  const int midY = r.Top + r.Height() / 2;
  const QPoint handles[8] = {{r.Left, r.Top},     {midX, r.Top},    {r.Right, r.Top},   {r.Right, midY},
                             {r.Right, r.Bottom}, {midX, r.Bottom}, {r.Left, r.Bottom}, {r.Left, midY}};
  // Each handle covers (x - 2, y - 2) up to, not including, (x + 2, y + 2).
  for (const QPoint& p : handles) dc->drawRect(QRect(p.x() - 2, p.y() - 2, 3, 3));
  dc->setPen(previous);
}

void TPrintObject::DrawFrame(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.Has(doFrames)) return;
  DrawOutline(context.DC, GetPixelRect(context));
}

void TPrintObject::DrawBorder(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.Has(doBorders) || !FBorder) return;
  DrawOutline(context.DC, GetPixelRect(context));
}

bool TPrintObject::LoadFromQS(ICompoundStream* stream) {
  if (!stream) return false;
  // The base values in one call: every object of a load reads them.
  constexpr int32_t kIds[] = {idKind, idFlags, idBorder, idDoubleGeometry, idLeft, idTop, idWidth, idHeight};
  TCompoundEntry v[std::size(kIds)];
  qsGetEntries(stream, kIds, std::size(kIds), v);
  if (qsEntryInteger(v[0], GetKind()) != GetKind()) return false;
  FFlags = static_cast<uint32_t>(qsEntryInteger(v[1], static_cast<int32_t>(FFlags)));
  FBorder = qsEntryBool(v[2], FBorder);
  if (qsEntryBool(v[3], false)) {
    FLeft = qsEntryDouble(v[4], 0);
    FTop = qsEntryDouble(v[5], 0);
    // The width is stored as a double; reading it whole keeps a load (and an
    // undo snapshot) from shifting widths by single-precision rounding.
    SetWidth(qsEntryDouble(v[6], 0));
    FHeight = qsEntryDouble(v[7], 0);
  } else {
    SetLeft(qsReadInteger(stream, idLeftInt, 0));
    SetTop(qsReadInteger(stream, idTopInt, 0));
    SetWidth(qsReadInteger(stream, idWidthInt, 0));
    SetHeight(qsReadInteger(stream, idHeightInt, 0));
  }
  SetModified(false);
  return true;
}

bool TPrintObject::SaveToQS(ICompoundStream* stream) {
  if (!stream) return false;
  // The base values in one call: every object of a save writes them.
  const int32_t doubleGeometry = 1;
  const double width = GetWidth(), height = GetHeight();
  // Whole millimetres for older readers.
  const int32_t leftInt = RoundEven(FLeft), topInt = RoundEven(FTop), widthInt = RoundEven(width),
                heightInt = RoundEven(height), kind = GetKind(), flags = static_cast<int32_t>(FFlags),
                border = FBorder ? 1 : 0;
  const TCompoundEntry values[] = {
      qsIntegerEntry(idDoubleGeometry, doubleGeometry),
      qsDoubleEntry(idLeft, FLeft),
      qsDoubleEntry(idTop, FTop),
      qsDoubleEntry(idWidth, width),
      qsDoubleEntry(idHeight, height),
      qsIntegerEntry(idLeftInt, leftInt),
      qsIntegerEntry(idTopInt, topInt),
      qsIntegerEntry(idWidthInt, widthInt),
      qsIntegerEntry(idHeightInt, heightInt),
      qsIntegerEntry(idKind, kind),
      qsIntegerEntry(idFlags, flags),
      qsIntegerEntry(idBorder, border),
  };
  if (!qsWriteEntries(stream, values, std::size(values))) return false;
  SetModified(false);
  return true;
}

uint32_t TPrintObject::HitTest(double x, double y, TPrintObject** target) {
  uint32_t code = 0;
  const double right = FLeft + GetWidth();
  const double bottom = FTop + GetHeight();
  const bool insideX = FLeft <= x && x <= right;
  const bool insideY = FTop <= y && y <= bottom;
  if (insideX && insideY) {
    if (target) *target = this;
    code = FFlags & (pfMoveX | pfMoveY | pfHitBody);
  }
  uint32_t edge = 0;
  if ((FFlags & pfSizeY) && insideX && bottom - kGrabZone <= y && y <= bottom + kGrabZone) edge = pfSizeY;
  if ((FFlags & pfSizeX) && right - kGrabZone <= x && x <= right + kGrabZone && insideY) edge |= pfSizeX;
  if (edge != 0) {
    if (target) *target = this;
    code = edge;
  }
  return code;
}

bool TPrintObject::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  SetTop(ini->ReadFloat(section, prefix + "TOP", FTop));
  SetLeft(ini->ReadFloat(section, prefix + "LEFT", FLeft));
  SetWidth(ini->ReadFloat(section, prefix + "WIDTH", GetWidth()));
  SetHeight(ini->ReadFloat(section, prefix + "HEIGHT", GetHeight()));
  FFlags = static_cast<uint32_t>(ini->ReadInteger(section, prefix + "FLAGS", static_cast<int>(FFlags)));
  FBorder = ini->ReadBool(section, prefix + "BORDER", FBorder);
  Changed();
  return true;
}

bool TPrintObject::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  ini->WriteFloat(section, prefix + "TOP", FTop);
  ini->WriteFloat(section, prefix + "LEFT", FLeft);
  ini->WriteFloat(section, prefix + "WIDTH", GetWidth());
  ini->WriteFloat(section, prefix + "HEIGHT", GetHeight());
  ini->WriteBool(section, prefix + "BORDER", FBorder);
  return true;
}

void TPrintObject::Changed() {
  if (FParent) FParent->Changed();
}

void TPrintObject::GetCommandCaption(QString* text) {
  if (FParent)
    FParent->GetCommandCaption(text);
  else if (text)
    text->clear();
}

bool TPrintObject::ExecuteCommand() { return FParent ? FParent->ExecuteCommand() : false; }

bool TPrintObject::ClickAt(int, double, double) { return false; }

void TPrintObject::AdjustChildBounds(TPrintObject* child, const TBoundsRect&, TBoundsRect* bounds) {
  if (!child || !bounds) return;
  TBoundsRect b = child->GetBoundsRect();
  b.Right = std::max(child->Left() + 1, b.Right);
  b.Bottom = std::max(child->Top() + 1, b.Bottom);
  *bounds = b;
}

void TPrintObject::Invalidate(TPrintObject* sender) {
  if (!FNoInvalidate && FParent) FParent->Invalidate(sender);
}

void TPrintObject::Assign(TPrintObject* source) {
  if (!source) return;
  TComPtr<ICompoundStream> stream;
  qsCreateCompoundStream(stream.Put());
  // Saving clears the source's modified mark; a copy (an undo snapshot) must
  // not make unsaved changes of the source look saved.
  const bool sourceModified = source->FModified;
  const bool saved = source->SaveToQS(stream.Get());
  source->FModified = sourceModified;
  if (saved) LoadFromQS(stream.Get());
  SetModified(true);
}

void TPrintObject::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  DrawBorder(context);
  DrawSelection(context);
  DrawFrame(context);
}

bool TPrintObject::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintObject"), this); }

void TPrintObject::GetCaption(QString* text) {
  if (text) *text = TranslateKindName(GetKind());
}

bool TPrintObject::DeleteWithConfirm() {
  if (!FParent || !(FFlags & pfDeletable)) return false;
  const QString arg = TranslateKindName(GetKind()) + QLatin1Char(' ') + QuestionCaption(Caption());
  if (!Confirm(QStringLiteral("DeleteObject"), arg)) return false;
  // The parent destroys this object: nothing of it may be touched afterwards.
  return FParent->RemoveChild(this);
}

void TPrintObject::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  const int kind = GetKind();
  (*json)[QStringLiteral("kind")] = kind;
  (*json)[QStringLiteral("kindName")] = KindName(kind);
  QString caption;
  const_cast<TPrintObject*>(this)->GetCaption(&caption);
  (*json)[QStringLiteral("caption")] = caption;
  (*json)[QStringLiteral("left")] = FLeft;
  (*json)[QStringLiteral("top")] = FTop;
  (*json)[QStringLiteral("width")] = GetWidth();
  (*json)[QStringLiteral("height")] = GetHeight();
  (*json)[QStringLiteral("flags")] = static_cast<qint64>(FFlags);
  (*json)[QStringLiteral("border")] = FBorder;
}

bool TPrintObject::LoadFromStream(IStream* stream) {
  if (!stream) return false;
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream, qs.Put()) != S_OK || !qs) return false;
  if (!LoadFromQS(qs.Get())) return false;
  SetModified(false);
  return true;
}

bool TPrintObject::SaveToStream(IStream* stream) {
  if (!stream) return false;
  TSaveContainer qs;
  if (!qs.Get() || !SaveToQS(qs.Get())) return false;
  if (qsSaveToStream(qs.Get(), stream) != S_OK) return false;
  SetModified(false);
  return true;
}

bool TPrintObject::SaveToNewStream(TStorage* storage, const QString& name) {
  if (!storage) return false;
  TSaveContainer qs;
  if (!qs.Get() || !qs.Block() || !SaveToQS(qs.Get())) return false;
  uint64_t size = 0;
  uint8_t* bytes = nullptr;
  if (qs.Block()->GetSizeMax(&size) != S_OK || size > SIZE_MAX ||
      storage->CreateStreamBytes(name, static_cast<size_t>(size), &bytes) != S_OK)
    return false;
  if (qs.Block()->Save(bytes, 1, size) != S_OK) {
    std::memset(bytes, 0, static_cast<size_t>(size));  // never memory left unset in a file
    return false;
  }
  SetModified(false);
  return true;
}

TRect TPrintObject::GetPixelRect(const TDrawContext& context) const {
  // The mapping once: each of PixelX and PixelY would ask the device for its dpi.
  const TPixelMapping pixels = context.Pixels();
  TRect r;
  r.Left = pixels.X(FLeft);
  r.Top = pixels.Y(FTop);
  r.Right = pixels.X(FLeft + GetWidth());
  r.Bottom = pixels.Y(FTop + GetHeight());
  return r;
}

TBoundsRect TPrintObject::GetBoundsRect() const {
  return TBoundsRect{FLeft, FTop, FLeft + GetWidth(), FTop + GetHeight()};
}

void TPrintObject::SetBoundsRect(const TBoundsRect& bounds) {
  SetLeft(bounds.Left);
  SetTop(bounds.Top);
  SetWidth(bounds.Right - bounds.Left);
  SetHeight(bounds.Bottom - bounds.Top);
}

bool TPrintObject::DragBy(double x0, double y0, double x1, double y1) {
  TPrintObject* target = nullptr;
  const uint32_t code = HitTest(x0, y0, &target);
  if (target != this) return false;
  const TBoundsRect start = GetBoundsRect();
  const double dy = y1 - y0;
  const double dx = x1 - x0;
  bool changed = false;
  if (code & pfMoveY) changed |= MoveTopBy(dy);
  if (code & pfMoveX) changed |= MoveLeftBy(dx);
  if (code & pfSizeX) changed |= ResizeWidthBy(dx);
  if (code & pfSizeY) changed |= ResizeHeightBy(dy);
  if (changed && FParent) {
    TBoundsRect b = GetBoundsRect();
    FParent->AdjustChildBounds(this, start, &b);
    SetBoundsRect(b);
  }
  return changed;
}

bool TPrintObject::MoveBy(double dx, double dy) {
  const TBoundsRect start = GetBoundsRect();
  bool tried = false;
  if (dy != 0 && (FFlags & pfMoveY)) tried |= MoveTopBy(dy);
  if (dx != 0 && (FFlags & pfMoveX)) tried |= MoveLeftBy(dx);
  if (tried && FParent) {
    TBoundsRect b = GetBoundsRect();
    FParent->AdjustChildBounds(this, start, &b);
    SetBoundsRect(b);
  }
  return !(GetBoundsRect() == start);
}

HRESULT TPrintObject::Notify(int code, int param) { return FOnNotify ? FOnNotify(this, code, param) : E_FAIL; }

bool TPrintObject::MoveLeftBy(double d) {
  if (!FParent) return false;
  SetLeft(Settings().SnapValue(FLeft + d));
  if (FLeft < FParent->Left()) SetLeft(FParent->Left());
  if (FLeft + GetWidth() > FParent->Left() + FParent->GetWidth())
    SetLeft(FParent->Left() + FParent->GetWidth() - GetWidth());
  Changed();
  return true;
}

bool TPrintObject::MoveTopBy(double d) {
  if (!FParent) return false;
  SetTop(Settings().SnapValue(FTop + d));
  if (FTop < FParent->Top()) SetTop(FParent->Top());
  if (FTop + GetHeight() > FParent->Top() + FParent->GetHeight())
    SetTop(FParent->Top() + FParent->GetHeight() - GetHeight());
  Changed();
  return true;
}

bool TPrintObject::ResizeWidthBy(double d) {
  if (!FParent) return false;
  SetWidth(Settings().SnapValue(GetWidth() + d));
  if (GetWidth() < 0) SetWidth(0);
  if (FLeft + GetWidth() > FParent->Left() + FParent->GetWidth())
    SetWidth(FParent->Left() + FParent->GetWidth() - FLeft);
  Changed();
  return true;
}

bool TPrintObject::ResizeHeightBy(double d) {
  if (!FParent) return false;
  SetHeight(Settings().SnapValue(GetHeight() + d));
  if (GetHeight() < 0) SetHeight(0);
  if (FTop + GetHeight() > FParent->Top() + FParent->GetHeight())
    SetHeight(FParent->Top() + FParent->GetHeight() - FTop);
  Changed();
  return true;
}

bool Confirm(const QString& key, const QString& arg) {
  const QString title = Translate(QStringLiteral("CONFIRM"), key + QStringLiteral(".Caption"), key);
  const QString text = Translate(QStringLiteral("CONFIRM"), key + QStringLiteral(".Text"), key);
  return Ui().Message(TMsgKind::Question, title, SubstituteArgs(text, {arg}), mbYes | mbNo) == TMsgResult::Yes;
}
