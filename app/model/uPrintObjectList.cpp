#include "uPrintObjectList.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include "qs.h"
#include "qsID.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uMemoryBytes.h"
#include "uMemoryStream.h"
#include "uPropertiesDialogs.h"
#include "uSettings.h"
#include "uStorage.h"
#include "uStreamViewReader.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idKind = 7;
constexpr int32_t idChildFlags = 20;
constexpr int32_t idChildCount = 80;
constexpr int32_t idFirstChildKind = static_cast<int32_t>(0x80000001u);

constexpr int32_t idVersionInternal = 768;
constexpr int32_t idVersionNumber = 769;
constexpr int32_t idVersionText = 770;
constexpr int32_t idVersionDate = 771;

constexpr std::u16string_view kIndex = u"index";
// Literals: copying them costs no shared reference count (a save names two
// streams per list).
const QString kIndexName = QStringLiteral("index");
const QString kVersionName = QStringLiteral("version");

// A child's element name: its position in decimal, as QString::number
// writes it, without that call's general conversion.
QString PositionName(int position) {
  char16_t digits[10];
  size_t n = sizeof digits / sizeof digits[0];
  auto value = static_cast<uint32_t>(position);
  do {
    digits[--n] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value);
  return QString(reinterpret_cast<const QChar*>(digits + n),
                 static_cast<qsizetype>(sizeof digits / sizeof digits[0] - n));
}

// How far ahead a list's save asks for its children's memory, and how much of each.
constexpr int kSaveAhead = 4;
constexpr size_t kSaveAheadLines = 4;

QString Cp1251(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }

struct TStoredKind {
  int32_t Position;
  int32_t Kind;
};

// The stored kinds of children 0 .. count - 1 in position order, leaving out
// those that read as 0 (missing, or not an integer): such a child is skipped
// and the ones after it still load. Only the entries the stream really holds
// are visited, so a damaged count costs no more than the stream's size.
std::vector<TStoredKind> StoredChildKinds(ICompoundStream* stream, int32_t count) {
  std::vector<TStoredKind> kinds;
  if (count <= 0) return kinds;
  const auto first = static_cast<uint32_t>(idFirstChildKind);
  const auto positionOf = [&](int32_t id) { return static_cast<uint32_t>(id) - first; };
  TComPtr<IEnumEntries> entries;
  if (stream->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put())) != S_OK || !entries) {
    // Not our container: read in order up to the first absent kind.
    for (int32_t i = 0; i < count; ++i) {
      const auto id = static_cast<int32_t>(first + static_cast<uint32_t>(i));
      TCompoundEntry entry{};
      if (stream->GetEntry(id, &entry) != S_OK) break;
      if (const int32_t kind = qsReadInteger(stream, id, 0)) kinds.push_back({i, kind});
    }
    return kinds;
  }
  entries->Reset();
  TCompoundEntry batch[64];
  int32_t fetched = 0;
  bool ordered = true;
  do {
    const HRESULT hr = entries->Next(64, batch, &fetched);
    if (hr != S_OK && hr != S_FALSE) break;
    for (int32_t i = 0; i < fetched; ++i) {
      const TCompoundEntry& e = batch[i];
      const uint32_t position = positionOf(e.ID);
      if (position >= static_cast<uint32_t>(count)) continue;
      int32_t kind = 0;
      if (e.Tag == qsInteger && e.Size == sizeof kind) std::memcpy(&kind, e.Data, sizeof kind);
      ordered = ordered && (kinds.empty() || static_cast<int32_t>(position) > kinds.back().Position);
      // A zero kind still takes its place: a later duplicate of the ID must not win.
      kinds.push_back({static_cast<int32_t>(position), kind});
    }
  } while (fetched == 64);
  if (!ordered) {
    // Out of order or repeated IDs (a damaged stream): the first entry of an
    // ID is its value, as a read would find it.
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](const TStoredKind& a, const TStoredKind& b) { return a.Position < b.Position; });
    kinds.erase(std::unique(kinds.begin(), kinds.end(),
                            [](const TStoredKind& a, const TStoredKind& b) { return a.Position == b.Position; }),
                kinds.end());
  }
  std::erase_if(kinds, [](const TStoredKind& k) { return k.Kind == 0; });
  return kinds;
}

// The lists whose INI load is under way on this thread, outermost first.
// Templates and head files are the user's: a section may name itself or an
// ancestor as a child, or fan out into more objects than any document holds.
struct TIniLoadState {
  QStringList Sections;
  int Objects = 0;  // children loaded since the outermost list began
};
thread_local TIniLoadState gIniLoad;

constexpr int kMaxIniDepth = 32;      // documents nest about six deep
constexpr int kMaxIniObjects = 4096;  // children in one load; a template holds a few hundred

class TIniLoadScope {
 public:
  explicit TIniLoadScope(const QString& section) {
    if (gIniLoad.Sections.isEmpty()) gIniLoad.Objects = 0;
    gIniLoad.Sections.push_back(section);
  }
  ~TIniLoadScope() { gIniLoad.Sections.pop_back(); }
  TIniLoadScope(const TIniLoadScope&) = delete;
  TIniLoadScope& operator=(const TIniLoadScope&) = delete;

  // Whether `child` may be loaded from `section`: within the budget and, for
  // a list, neither too deep nor from a section that is loading already.
  bool MayLoad(TPrintObject* child, const QString& section) const {
    if (gIniLoad.Objects >= kMaxIniObjects) return false;
    if (child->AsObjectList() &&
        (gIniLoad.Sections.size() >= kMaxIniDepth || gIniLoad.Sections.contains(section, Qt::CaseInsensitive)))
      return false;
    ++gIniLoad.Objects;
    return true;
  }
};

}  // namespace

TPrintObjectList::TPrintObjectList() = default;

TPrintObjectList::~TPrintObjectList() {
  // Children may look at their parent while they go.
  while (!FChildren.empty()) FChildren.pop_back();
}

double TPrintObjectList::GetChildrenHeight() const {
  double h = 0;
  for (const auto& c : FChildren)
    if (c) h = std::max(h, c->Top() + c->GetHeight() - FTop);
  return h;
}

double TPrintObjectList::GetChildrenWidth() const {
  double w = 0;
  for (const auto& c : FChildren)
    if (c) w = std::max(w, c->Left() + c->GetWidth() - FLeft);
  return w;
}

int TPrintObjectList::AddChild(std::unique_ptr<TPrintObject> child) {
  if (!child) return -1;
  TPrintObject* c = child.get();
  FChildren.push_back(std::move(child));
  c->SetOnNotify(FOnNotify);
  c->FFlags |= FChildFlags;
  if (c->FParent != this) {
    c->FParent = this;
    c->SetModified(true);
  }
  SetModified(true);
  return Count() - 1;
}

int TPrintObjectList::InsertChild(std::unique_ptr<TPrintObject> child, int index) {
  if (!child || index < 0 || index > Count()) return -1;
  if (AddChild(std::move(child)) < 0) return -1;
  std::rotate(FChildren.begin() + index, FChildren.end() - 1, FChildren.end());
  return index;
}

bool TPrintObjectList::DeleteChild(int index) {
  if (index < 0 || index >= Count()) return false;
  std::unique_ptr<TPrintObject> gone = std::move(FChildren[index]);
  FChildren.erase(FChildren.begin() + index);
  gone.reset();
  SetModified(true);
  Changed();
  Invalidate(this);
  return true;
}

void TPrintObjectList::SortChildren(const std::function<bool(const TPrintObject*, const TPrintObject*)>& less) {
  std::stable_sort(FChildren.begin(), FChildren.end(),
                   [&](const std::unique_ptr<TPrintObject>& a, const std::unique_ptr<TPrintObject>& b) {
                     return less(a.get(), b.get());
                   });
}

void TPrintObjectList::SortByTop() {
  SortChildren([](const TPrintObject* a, const TPrintObject* b) { return a->Top() < b->Top(); });
}

bool TPrintObjectList::InsertNewChildAt(double, double, double, double) { return false; }

std::unique_ptr<TPrintObject> TPrintObjectList::CreateChild(int) { return nullptr; }

int TPrintObjectList::GetInsertableKind(int) { return 0; }

int TPrintObjectList::ChooseInsertableKind() {
  std::vector<int> kinds;
  QStringList names;
  for (int i = 0; const int kind = GetInsertableKind(i); ++i) {
    if (!IsKindRegistered(kind)) continue;
    kinds.push_back(kind);
    names << TranslateKindName(kind);
  }
  if (kinds.empty()) return 0;
  const int choice =
      Ui().ChooseFromList(TranslateWord(QStringLiteral("Add")), TranslateWord(QStringLiteral("Object")), names, 0);
  return choice >= 0 && choice < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(choice)] : 0;
}

void TPrintObjectList::FitChildInside(TPrintObject* child, bool withinHeight) const {
  // No room (an empty head is as wide as its children) limits nothing.
  FitInside(child, {FLeft, FTop, FLeft + GetWidth(), FTop + GetHeight()}, withinHeight);
}

void TPrintObjectList::FitInside(TPrintObject* child, const TBoundsRect& room, bool withinHeight) {
  if (!child) return;
  const double wide = room.Right - room.Left;
  const double tall = withinHeight ? room.Bottom - room.Top : 0;
  const double width = child->GetWidth();
  const double height = child->GetHeight();
  double factor = wide > 0 && width > wide ? wide / width : 1;
  if (tall > 0 && height * factor > tall) factor = tall / height;
  if (factor < 1) {
    child->SetWidth(width * factor);
    child->SetHeight(height * factor);
  }
  // max(): a scaled width may exceed the room by a rounding error.
  if (wide > 0)
    child->SetLeft(std::clamp(child->Left(), room.Left, std::max(room.Left, room.Right - child->GetWidth())));
  if (tall > 0) child->SetTop(std::clamp(child->Top(), room.Top, std::max(room.Top, room.Bottom - child->GetHeight())));
}

void TPrintObjectList::SetLeft(double value) {
  const double old = FLeft;
  TPrintObject::SetLeft(value);
  const double diff = FLeft - old;
  if (diff == 0) return;
  for (auto& c : FChildren)
    if (c) c->SetLeft(c->Left() + diff);
}

void TPrintObjectList::SetTop(double value) {
  const double old = FTop;
  TPrintObject::SetTop(value);
  const double diff = FTop - old;
  if (diff == 0) return;
  for (auto& c : FChildren)
    if (c) c->SetTop(c->Top() + diff);
}

void TPrintObjectList::SetSelected(bool value) {
  TPrintObject::SetSelected(value);
  if (!value)
    for (auto& c : FChildren)
      if (c) c->SetSelected(false);
}

bool TPrintObjectList::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  const int32_t count = qsReadInteger(stream, idChildCount, 0);
  FChildFlags = static_cast<uint32_t>(qsReadInteger(stream, idChildFlags, static_cast<int32_t>(FChildFlags)));
  const std::vector<TStoredKind> kinds = StoredChildKinds(stream, count);
  FChildren.reserve(FChildren.size() + kinds.size());
  // The children come in one by one with their defaults: what a list does
  // when a child joins it (a block rebuilds its menu) is done once, after.
  const bool filling = std::exchange(FFilling, true);
  for (const TStoredKind& stored : kinds) {
    auto child = CreateChild(stored.Kind);
    if (!child) continue;
    AddChild(std::move(child));
    if (FStoredPositions) FStoredPositions->push_back(stored.Position);
  }
  FFilling = filling;
  return true;
}

bool TPrintObjectList::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  stream->WriteInteger(idChildFlags, static_cast<int32_t>(FChildFlags));
  if (Count() > 0 && stream->WriteInteger(idChildCount, Count()) != S_OK) return false;
  // The kinds in batches, one call each (a column writes thousands), each
  // child's memory asked for a few children ahead of its kind.
  constexpr int kBatch = 64;
  constexpr int kAhead = 8;
  int32_t kinds[kBatch];
  TCompoundEntry values[kBatch];
  int batched = 0;
  for (int i = 0; i < Count(); ++i) {
    if (i + kAhead < Count()) __builtin_prefetch(FChildren[i + kAhead].get());
    if (!FChildren[i]) continue;
    const int32_t id = static_cast<int32_t>(static_cast<uint32_t>(idFirstChildKind) + static_cast<uint32_t>(i));
    kinds[batched] = FChildren[i]->GetKind();
    values[batched] = qsIntegerEntry(id, kinds[batched]);
    if (++batched == kBatch) {
      if (!qsWriteEntries(stream, values, batched)) return false;
      batched = 0;
    }
  }
  return batched == 0 || qsWriteEntries(stream, values, batched);
}

uint32_t TPrintObjectList::HitTest(double x, double y, TPrintObject** target) {
  TPrintObject* own = nullptr;
  const uint32_t code = TPrintObject::HitTest(x, y, &own);
  for (int i = Count() - 1; i >= 0; --i) {
    if (!FChildren[i]) continue;
    TPrintObject* hit = nullptr;
    const uint32_t c = FChildren[i]->HitTest(x, y, &hit);
    if (c > 0) {
      if (target) *target = hit;
      return c;
    }
  }
  if (target && own) *target = own;
  return code;
}

bool TPrintObjectList::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::LoadFromIni(ini, section, prefix)) return false;
  // Lists saved with a prefix wrote "CHILDFLAGS" without it.
  int flags = ini->ReadInteger(section, QStringLiteral("CHILDFLAGS"), static_cast<int>(FChildFlags));
  flags = ini->ReadInteger(section, prefix + QStringLiteral("CHILDFLAGS"), flags);
  SetChildFlags(static_cast<uint32_t>(flags));
  LoadIniChildren(ini, section, prefix);
  return true;
}

bool TPrintObjectList::LoadIniChildren(TIniFile* ini, const QString& section, const QString& prefix) {
  TIniLoadScope scope(section);
  bool found = false;
  for (int n = 1;; ++n) {
    const QString value = ini->ReadString(section, prefix + QStringLiteral("OBJECT") + QString::number(n), QString());
    if (value.isEmpty()) break;
    found = true;
    const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2) continue;
    bool ok = false;
    int kind = words[1].toInt(&ok);
    if (!ok) kind = 0;
    auto child = CreateChild(kind);
    if (!child || !scope.MayLoad(child.get(), words[0])) continue;
    child->LoadFromIni(ini, words[0], QString());
    // Positions in the child's section are relative to the list.
    child->SetTop(child->Top() + FTop);
    child->SetLeft(child->Left() + FLeft);
    AddChild(std::move(child));
  }
  if (found) Changed();
  return found;
}

bool TPrintObjectList::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::SaveToIni(ini, section, prefix)) return false;
  ini->WriteInteger(section, QStringLiteral("CHILDFLAGS"), static_cast<int>(FChildFlags));
  QSet<QString> used;
  int n = 1;
  for (const auto& c : FChildren) {
    if (!c) continue;
    const QString base = KindName(c->GetKind()) + QStringLiteral("_auto");
    QString name;
    for (int k = 1;; ++k) {
      name = base + QString::number(k);
      if (!used.contains(name.toUpper()) && !ini->SectionExists(name)) break;
    }
    used.insert(name.toUpper());
    ini->WriteString(section, prefix + QStringLiteral("OBJECT") + QString::number(n),
                     name + QLatin1Char(' ') + QString::number(c->GetKind()));
    c->SaveToIni(ini, name, QString());
    ++n;
  }
  return true;
}

void TPrintObjectList::Changed() {
  if (FFilling) return;
  // The own edges are asked again only after a change: a list may have
  // thousands of children.
  double right = FLeft + GetWidth();
  double bottom = FTop + GetHeight();
  const auto edgesChanged = [&] {
    right = FLeft + GetWidth();
    bottom = FTop + GetHeight();
  };
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = FChildren[i].get();
    if (!c) continue;
    // Growing to the left or upwards keeps the children where they are (moving
    // them with the list would leave the child outside again) and keeps the
    // list's right and bottom edges.
    if (c->Left() < FLeft) {
      FLeft = c->Left();
      SetWidth(right - FLeft);
      SetModified(true);
      edgesChanged();
    }
    if (c->Top() < FTop) {
      FTop = c->Top();
      SetHeight(bottom - FTop);
      SetModified(true);
      edgesChanged();
    }
    if (c->Top() + c->GetHeight() > bottom) {
      SetHeight(c->Top() + c->GetHeight() - FTop);
      edgesChanged();
    }
    if (c->Left() + c->GetWidth() > right) {
      SetWidth(c->Left() + c->GetWidth() - FLeft);
      edgesChanged();
    }
  }
  TPrintObject::Changed();
}

void TPrintObjectList::Assign(TPrintObject* source) {
  TPrintObject::Assign(source);
  if (auto* list = source ? source->AsObjectList() : nullptr) {
    Clear();
    SetCapacity(list->Count());
    FFilling = true;
    for (const auto& c : list->FChildren) {
      if (!c) continue;
      auto copy = CreateChild(c->GetKind());
      if (!copy) continue;
      TPrintObject* made = copy.get();
      AddChild(std::move(copy));
      made->Assign(c.get());
    }
    FFilling = false;
  }
  Changed();
}

void TPrintObjectList::Draw(TDrawContext& context) {
  TPrintObject::Draw(context);
  for (auto& c : FChildren)
    if (c && c.get() != context.Skip) c->Draw(context);
}

bool TPrintObjectList::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintObjectList"), this); }

bool TPrintObjectList::RemoveChild(TPrintObject* child) { return DeleteChild(IndexOf(child)); }

void TPrintObjectList::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("childFlags")] = static_cast<qint64>(FChildFlags);
  QJsonArray children;
  for (const auto& c : FChildren) {
    QJsonObject item;
    if (c) c->DumpProperties(&item);
    children.append(item);
  }
  (*json)[QStringLiteral("children")] = children;
}

void TPrintObjectList::SetOnNotify(const TNotifyEvent& handler) {
  TPrintObject::SetOnNotify(handler);
  // Every child reports to the same host as its list.
  for (auto& c : FChildren)
    if (c) c->SetOnNotify(handler);
}

TPrintObject* TPrintObjectList::GetChild(int index) const {
  return index >= 0 && index < Count() ? FChildren[index].get() : nullptr;
}

int TPrintObjectList::IndexOf(const TPrintObject* child) const {
  for (int i = 0; i < Count(); ++i)
    if (FChildren[i].get() == child) return i;
  return -1;
}

void TPrintObjectList::Clear() {
  if (FChildren.empty()) return;
  while (!FChildren.empty()) FChildren.pop_back();
  SetModified(true);
}

void TPrintObjectList::SetCapacity(int capacity) {
  if (capacity > 0) FChildren.reserve(static_cast<size_t>(capacity));
}

void TPrintObjectList::SetChildFlags(uint32_t value) {
  if (value == FChildFlags) return;
  FChildFlags = value;
  for (auto& c : FChildren)
    if (c) c->FFlags = value;
}

TPrintObject* TPrintObjectList::FindSelected() {
  if (FSelected) return this;
  for (auto& c : FChildren) {
    if (!c) continue;
    if (auto* list = c->AsObjectList()) {
      if (TPrintObject* found = list->FindSelected()) return found;
    } else if (c->Selected()) {
      return c.get();
    }
  }
  return nullptr;
}

bool TPrintObjectList::ExchangeChildren(int a, int b) {
  if (a < 0 || b < 0 || a >= Count() || b >= Count()) return false;
  if (a != b) {
    std::swap(FChildren[a], FChildren[b]);
    SetModified(true);
  }
  return true;
}

bool TPrintObjectList::MoveChild(int from, int to) {
  if (from < 0 || to < 0 || from >= Count() || to >= Count()) return false;
  if (from < to)
    std::rotate(FChildren.begin() + from, FChildren.begin() + from + 1, FChildren.begin() + to + 1);
  else if (from > to)
    std::rotate(FChildren.begin() + to, FChildren.begin() + from, FChildren.begin() + from + 1);
  if (from != to) SetModified(true);
  return true;
}

bool TPrintObjectList::ReorderChildren(const std::vector<TPrintObject*>& order) {
  std::vector<int> indexes;
  indexes.reserve(order.size());
  for (TPrintObject* p : order) {
    const int i = IndexOf(p);
    if (i < 0 || !p || std::find(indexes.begin(), indexes.end(), i) != indexes.end()) return false;
    indexes.push_back(i);
  }
  std::vector<std::unique_ptr<TPrintObject>> kept;
  kept.reserve(indexes.size());
  for (int i : indexes) kept.push_back(std::move(FChildren[i]));
  const bool changed = kept.size() != FChildren.size() || !std::is_sorted(indexes.begin(), indexes.end());
  // What is left in FChildren are the children not in `order`: destroyed here.
  std::vector<std::unique_ptr<TPrintObject>> dropped = std::move(FChildren);
  FChildren = std::move(kept);
  dropped.clear();
  if (changed) SetModified(true);
  return true;
}

std::unique_ptr<TPrintObject> TPrintObjectList::ExtractChild(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  std::unique_ptr<TPrintObject> child = std::move(FChildren[index]);
  FChildren.erase(FChildren.begin() + index);
  if (child) child->FParent = nullptr;
  SetModified(true);
  return child;
}

bool TPrintObjectList::SaveToStorage(TStorage* storage) {
  if (!storage) return false;
  if (!SaveToNewStream(storage, kIndexName)) return false;
  // Writing "index" cleared the modified mark; a save that does not complete
  // must leave the list unsaved.
  if (!WriteVersionStream(storage)) {
    FModified = true;
    return false;
  }
  bool complete = true;
  for (int i = 0; i < Count(); ++i) {
    // Children lie apart in memory: the first lines of one a few ahead are
    // asked for while this one saves (each would be a wait otherwise), and
    // the one half as far ahead, its lines at hand, asks for what it points to.
    if (i + kSaveAhead < Count())
      if (const TPrintObject* ahead = FChildren[i + kSaveAhead].get())
        for (size_t line = 0; line < kSaveAheadLines; ++line)
          __builtin_prefetch(reinterpret_cast<const char*>(ahead) + 64 * line);
    if (i + kSaveAhead / 2 < Count())
      if (const TPrintObject* ahead = FChildren[i + kSaveAhead / 2].get()) ahead->PrefetchForSave();
    TPrintObject* c = FChildren[i].get();
    if (!c) continue;
    const QString name = PositionName(i);
    if (auto* list = c->AsObjectList()) {
      TStorage* sub = nullptr;
      if (storage->CreateStorage(name, &sub) != S_OK || !list->SaveToStorage(sub)) complete = false;
    } else if (!c->SaveToNewStream(storage, name)) {
      complete = false;
    }
  }
  if (!complete) {
    FModified = true;
    return false;
  }
  SetModified(false);
  return true;
}

bool TPrintObjectList::LoadFromStorage(TStorage* storage) {
  if (!storage) return false;
  // "index" is parsed once: checked for the kind, then loaded.
  TStreamViewReader reader;
  ICompoundStream* index = reader.Read(storage, kIndex);
  if (!index) return false;
  if (qsReadInteger(index, idKind, GetKind()) != GetKind()) return false;
  Clear();
  // Each child's element is named by its stored position, which differs from
  // its index once a stored kind was skipped.
  std::vector<int32_t> positions;
  FStoredPositions = &positions;
  const bool loaded = LoadFromQS(index);
  FStoredPositions = nullptr;
  if (!loaded) return false;
  const bool byPosition = positions.size() == FChildren.size();
  FFilling = true;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = FChildren[i].get();
    if (!c) continue;
    const int element = byPosition ? positions[static_cast<size_t>(i)] : i;
    if (auto* list = c->AsObjectList()) {
      TStorage* sub = nullptr;
      if (storage->OpenStorageAt(static_cast<uint32_t>(element), &sub) == S_OK) list->LoadFromStorage(sub);
    } else if (ICompoundStream* qs = reader.ReadAt(storage, element); qs && c->LoadFromQS(qs)) {
      c->SetModified(false);
    }
  }
  FFilling = false;
  SetModified(false);
  Changed();
  return true;
}

namespace {

// The stored "version" stream; empty when it could not be made.
std::vector<uint8_t> MakeVersionBytes() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs || !qsWriteInteger(qs.Get(), idVersionInternal, kVersionInternal) ||
      !qsWriteDouble(qs.Get(), idVersionNumber, kVersionNumber) ||
      !qsWriteShortStr(qs.Get(), idVersionText, kVersionText) ||
      !qsWriteShortStr(qs.Get(), idVersionDate, kVersionDate))
    return {};
  TComPtr<IStream> memory;
  std::vector<uint8_t> bytes;
  if (CreateMemoryStream(memory.Put()) != S_OK || qsSaveToStream(qs.Get(), memory.Get()) != S_OK ||
      memory->Seek(0, 0, nullptr) != S_OK || !ReadWholeStream(memory.Get(), &bytes))
    return {};
  return bytes;
}

}  // namespace

bool WriteVersionStream(TStorage* storage) {
  if (!storage) return false;
  // Every list of a document writes the same bytes: they are made once and
  // shared by every storage written.
  static const auto bytes = std::make_shared<const std::vector<uint8_t>>(MakeVersionBytes());
  if (bytes->empty()) return false;
  return storage->CreateSharedStream(kVersionName, bytes) == S_OK;
}

bool ReadVersionStream(TStorage* storage, TFileVersion* version) {
  if (!storage || !version) return false;
  TComPtr<IStream> stream;
  if (storage->OpenStream(kVersionName, stream.Put()) != S_OK) return false;
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream.Get(), qs.Put()) != S_OK || !qs) return false;
  version->Internal = qsReadInteger(qs.Get(), idVersionInternal, 0);
  version->Version = qsReadDouble(qs.Get(), idVersionNumber, 0);
  version->VersionText = Cp1251(qsReadShortStr(qs.Get(), idVersionText, ""));
  version->Date = Cp1251(qsReadShortStr(qs.Get(), idVersionDate, ""));
  return true;
}

bool CheckFileVersion(TStorage* storage) {
  TFileVersion v;
  if (!ReadVersionStream(storage, &v)) return false;
  if (v.Internal <= kVersionInternal) return false;
  const QString text =
      Translate(QStringLiteral("VOX"), QStringLiteral("FileNewVersion"),
                QStringLiteral("File Created in newest version of program %s, some data cannot be read and may be "
                               "lost after save this file."));
  Ui().Message(TMsgKind::Information, QString(), SubstituteArgs(text, {v.VersionText}), mbOK);
  Settings().RecordNewerBuild(v.Internal, v.Version, v.VersionText, v.Date);
  return true;
}
