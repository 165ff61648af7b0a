#include "uPrintStratCol.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uIntervalImport.h"
#include "uLanguage.h"
#include "uLanguageObject.h"
#include "uLineBatch.h"
#include "uMemoryStream.h"
#include "uNumbers.h"
#include "uPropertiesDialogs.h"
#include "uRockNames.h"
#include "uSettings.h"
#include "uSignNameTally.h"
#include "uStorage.h"
#include "uStratColEntry.h"
#include "uStratColExport.h"
#include "uStringTable.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idDataBaseFile = 5120;
constexpr int32_t idTopLineWidth = 5121;
constexpr int32_t idTopLineColor = 5122;
constexpr int32_t idTopLineStyle = 5123;

constexpr int kEditMode = 2;
// Depths closer than this are one boundary when intervals are merged.
constexpr double kSameDepth = 0.001;

const QString kDefaultLsd = QStringLiteral("default.lsd");
const QString kLsd2 = QStringLiteral("lsd2");

// GetPixelRect with the context's mapping worked out once for a walk over many layers.
TRect PixelRect(const TPrintObject& object, const TPixelMapping& pixels) {
  return {pixels.X(object.Left()), pixels.Y(object.Top()), pixels.X(object.Left() + object.GetWidth()),
          pixels.Y(object.Top() + object.GetHeight())};
}

double CellNumber(const QString& text, double def) {
  const double v = ReadNumber(text.trimmed().toStdString(), def);
  return std::isfinite(v) ? v : def;
}

QString ColText(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromUtf8(def));
}

// The first few of `names` for a message box, "..." for the rest.
QString NamesForMessage(const QStringList& names) {
  constexpr int kShown = 8;
  QString text = QStringList(names.mid(0, kShown)).join(QStringLiteral(", "));
  if (names.size() > kShown) text += QStringLiteral(", ...");
  return text;
}

// The sign names of a table row from column 2 up to its last non-empty cell,
// rock names read as their codes; each rock name read so goes once into
// `read` ("Sandstone = SST") for the message after the import.
QStringList RowNames(const TStringTable& table, int row, bool keepEmpty, const TRockNames& rocks, QStringList* read) {
  int last = table.ColCount() - 1;
  while (last >= 2 && table.GetCell(last, row).trimmed().isEmpty()) --last;
  QStringList names;
  for (int c = 2; c <= last; ++c) {
    const QString name = table.GetCell(c, row).trimmed();
    if (!keepEmpty && name.isEmpty()) continue;
    const QString code = rocks.CodeFor(name);
    if (code != name) {
      const QString entry = name + QStringLiteral(" = ") + code;
      if (!read->contains(entry)) read->append(entry);
    }
    names << code;
  }
  return names;
}

// A fresh database loaded from `bytes` in either stored form, or null. The
// stored form is read from `memory`, a memory stream holding those bytes.
TComPtr<IStratDataBase> DataBaseFromBytes(const std::vector<uint8_t>& bytes, bool oldForm, IStream* memory) {
  TComPtr<IStratDataBase> db;
  if (stratCreateDataBase(db.Put()) != S_OK || bytes.empty() ||
      bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    return nullptr;
  if (oldForm) {
    auto old = db.As<IStratDataBaseOld>(IID_IStratDataBaseOld);
    if (!old || old->LoadFromOldBuffer(bytes.data(), static_cast<int32_t>(bytes.size())) <= 0) return nullptr;
    return db;
  }
  auto stream = db.As<IStratStream>(IID_IStratStream);
  if (!stream || !memory || stream->LoadFromStream(memory) != S_OK) return nullptr;
  return db;
}

// Copies `loaded`, a fresh database loaded from `stored`, into `target` as
// stratCopy does: saved into memory and loaded from there. When the saved
// bytes are the stored ones, the load would parse the same bytes again and
// give what `loaded` holds (a load replaces the signs and the options and
// nothing else): its signs are handed over instead.
HRESULT CopyLoadedDataBase(IStratDataBase* loaded, const std::vector<uint8_t>& stored, IStratDataBase* target) {
  auto from = TComPtr<IStratDataBase>(loaded).As<IStratStream>(IID_IStratStream);
  auto to = TComPtr<IStratDataBase>(target).As<IStratStream>(IID_IStratStream);
  if (!from || !to) return stratCopy(loaded, target);
  auto* memory = new TMemoryStream();
  TComPtr<IStream> saved(memory);
  HRESULT hr = from->SaveToStream(saved.Get());
  if (hr != S_OK) return hr;
  const std::vector<uint8_t>& bytes = memory->Bytes();
  if (bytes.size() == stored.size() && std::equal(bytes.begin(), bytes.end(), stored.begin())) {
    std::vector<TComPtr<IStratStream>> signs;
    signs.reserve(static_cast<size_t>(std::max(loaded->SignCount(), 0)));
    bool complete = true;
    for (int32_t i = 0; complete && i < loaded->SignCount(); ++i) {
      TComPtr<IStratSign> sign;
      complete = loaded->GetSign(i, sign.Put()) == S_OK;
      if (complete) signs.push_back(sign.As<IStratStream>(IID_IStratStream));
      complete = complete && signs.back();
    }
    for (int32_t n = target->SignCount(); complete && n > 0; --n) complete = target->DeleteSign(n - 1);
    for (size_t i = 0; complete && i < signs.size(); ++i) complete = target->AddSign(signs[i].Get(), false) == S_OK;
    if (complete) {
      target->SetOptions(loaded->GetOptions());
      return S_OK;
    }
    // Out of memory half-way: the load below replaces whatever was handed over.
  }
  return to->LoadFromStream(saved.Get());
}

}  // namespace

TPrintStratCol::TPrintStratCol() {
  stratCreateDataBase(FDataBase.Put());
  FFlags |= pfInsert;
}

TPrintStratCol::~TPrintStratCol() {
  // An editor left open on our database must not call back into a column that is gone.
  stratCloseEditors(this);
}

QString TPrintStratCol::DataBaseStreamName() const {
  const QString name = QFileInfo(QString(FDataBaseFile).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
  return name.isEmpty() ? kDefaultLsd : name;
}

std::vector<TStratColEntry*> TPrintStratCol::Layers() const {
  std::vector<TStratColEntry*> layers;
  layers.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i)
    if (auto* e = dynamic_cast<TStratColEntry*>(GetChild(i))) layers.push_back(e);
  return layers;
}

void TPrintStratCol::SetFloating(bool on) {
  SetChildFlags(on ? ChildFlags() | kStratFloating : ChildFlags() & ~kStratFloating);
}

bool TPrintStratCol::LoadDataBase(const QString& name) {
  if (name.isEmpty()) return false;
  QString path = name;
  const QStringList candidates = {name, ProgramDir() + QStringLiteral("/lsd/") + name,
                                  ProgramDir() + QLatin1Char('/') + name};
  for (const QString& c : candidates)
    if (QFileInfo(c).isFile()) {
      path = c;
      break;
    }
  TComPtr<IStratDataBase> loaded;
  if (stratCreateDataBase(loaded.Put()) != S_OK) return false;
  const QByteArray file = QFile::encodeName(path);
  // Loaded apart first: a file that cannot be read leaves the column's database as it was.
  if (stratLoad(file.constData(), loaded.Get()) != S_OK) return false;
  if (stratCopy(loaded.Get(), FDataBase.Get()) != S_OK) return false;
  FDataBaseFile = path;
  AttachDataBase();
  DataBaseChanged();
  return true;
}

void TPrintStratCol::AttachDataBase() {
  for (TStratColEntry* e : Layers()) {
    e->SetDataBase(FDataBase.Get());
    e->SetModified(true);
  }
}

int TPrintStratCol::UnknownSignLayers() const { return UnknownSignLayers(nullptr); }

int TPrintStratCol::UnknownSignLayers(const TSignNameTally* loaded) const {
  // The database's names once, rather than a search of the database per sign:
  // a loaded document checks every sign of every layer.
  // A layer's name spelt byte for byte as in the database is known without
  // decoding it; only other spellings are compared without case.
  // The names as text, without case, only once a name is not spelt as stored:
  // decoding every name of the database took longer than the check of a
  // loaded column's names.
  const int count = FDataBase ? FDataBase->SignCount() : 0;
  std::vector<std::string> spelt;
  spelt.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    TComPtr<IStratSign> sign;
    if (FDataBase->GetSign(i, sign.Put()) != S_OK || !sign) continue;
    TShortString name{};
    sign->GetName(&name);
    spelt.emplace_back(ShortStringView(name));
  }
  const std::unordered_set<std::string_view> exact(spelt.begin(), spelt.end());
  QSet<QString> known;
  bool decoded = false;
  const auto isKnown = [&](std::string_view name) {
    if (name.empty() || exact.count(name)) return true;
    const QString text = QString::fromStdString(Cp1251ToUtf8(name));
    if (text.isEmpty()) return true;
    if (!decoded) {
      for (const std::string& stored : spelt) known.insert(QString::fromStdString(Cp1251ToUtf8(stored)).toUpper());
      decoded = true;
    }
    return known.contains(text.toUpper());
  };
  if (loaded && loaded->Complete() &&
      std::all_of(loaded->Names().begin(), loaded->Names().end(),
                  [&](const std::string& name) { return isKnown(name); }))
    return 0;
  int n = 0;
  for (const TStratColEntry* e : Layers()) {
    // The names read where the field keeps them: a copy of each would read
    // its 256 bytes, most of them beyond the name.
    IStratField* field = e->Field();
    const TStratPlacement* items = nullptr;
    int32_t signs = 0;
    if (!field || field->GetItems(&items, &signs) != S_OK) continue;
    for (int32_t k = 0; k < signs; ++k)
      if (!isKnown(ShortStringView(items[k].SignName))) {
        ++n;
        break;
      }
  }
  return n;
}

void TPrintStratCol::CheckSigns() { CheckSigns(nullptr); }

void TPrintStratCol::CheckSigns(const TSignNameTally* loaded) {
  // The setting is read from its file: asked only when a sign is unknown.
  if (UnknownSignLayers(loaded) == 0 || !Settings().LdbMsgError()) return;
  // Which names, so that the user knows what to look for in the grid.
  const QString names = NamesForMessage(UnknownSignNames());
  Ui().Message(
      TMsgKind::Error, TranslateWord(QStringLiteral("Error")),
      Caption() + QLatin1Char(' ') +
          Translate(QStringLiteral("CONFIRM"), QStringLiteral("Error.HasUnknownEttle"), QStringLiteral("has errors")) +
          QLatin1Char('\n') +
          SubstituteArgs(ColText("UnknownSignNames",
                                 "Names the sign database lacks: %s. In the grid that opens, "
                                 "Replace gives them signs of the database."),
                         {names}),
      mbOK);
  EditProperties();
}

QStringList TPrintStratCol::UnknownSignNames() const {
  const TRockNames known(FDataBase.Get());
  QStringList unknown;
  QSet<QString> listed;
  for (const TStratColEntry* e : Layers())
    for (const QString& name : e->SignNames()) {
      const QString key = name.toCaseFolded();
      if (name.isEmpty() || known.HasCode(name) || listed.contains(key)) continue;
      listed.insert(key);
      unknown << name;
    }
  return unknown;
}

void TPrintStratCol::AutoPlaceAll() {
  for (TStratColEntry* e : Layers()) e->AutoPlace();
}

void TPrintStratCol::FitChild(TPrintObject* child) {
  child->SetLeft(FLeft);
  child->SetWidth(GetWidth());
  if (child->Top() < FTop) child->SetTop(FTop);
}

TStratColEntry* TPrintStratCol::AddLayer(double topDepth, double bottomDepth, const QStringList& signs) {
  if (!std::isfinite(topDepth) || !std::isfinite(bottomDepth) || !(bottomDepth > topDepth)) return nullptr;
  auto made = std::make_unique<TStratColEntry>();
  TStratColEntry* e = made.get();
  // Depths map through the column's chain: the layer is placed once it is in it.
  if (AddChild(std::move(made)) < 0) return nullptr;
  e->SetTopDepth(topDepth);
  e->SetBottomDepth(bottomDepth);
  for (const QString& s : signs) e->AddSignName(s);
  Changed();
  return e;
}

bool TPrintStratCol::ImportLayersFrom(const TStringTable& table, TLayerImportReport* report) {
  TLayerImportReport r;
  r.Rows = table.RowCount();
  if (table.RowCount() < 1 || table.ColCount() < 3) return false;
  struct TRowIn {
    double Top, Bottom;
    QStringList Names;
  };
  std::vector<TRowIn> rows;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TRockNames rocks(FDataBase.Get());
  for (int row = 0; row < table.RowCount(); ++row) {
    const double top = CellNumber(table.GetCell(0, row), nan);
    const double bottom = CellNumber(table.GetCell(1, row), nan);
    // Rows without an interval are left out and counted for the message.
    if (std::isnan(top) || std::isnan(bottom) || top < 0 || !(bottom > top)) {
      ++r.Skipped;
      continue;
    }
    rows.push_back({top, bottom, RowNames(table, row, true, rocks, &r.RockNames)});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TRowIn& a, const TRowIn& b) { return a.Top < b.Top; });
  FFilling = true;
  Clear();
  double lastBottom = -std::numeric_limits<double>::infinity();
  const bool horizontal = GetDirection() == 2;
  for (TRowIn& row : rows) {
    // An overlapping row starts where the layer above ends.
    if (row.Top < lastBottom - kSameDepth) {
      if (row.Bottom <= lastBottom + kSameDepth) {
        ++r.Skipped;
        continue;
      }
      row.Top = lastBottom;
      ++r.Shortened;
    }
    lastBottom = row.Bottom;
    auto made = std::make_unique<TStratColEntry>();
    TStratColEntry* e = made.get();
    TPrintObjectList::AddChild(std::move(made));
    if (horizontal) {
      e->SetTop(FTop);
      e->SetHeight(GetHeight());
      e->SetLeft(DepthToPage(row.Top));
      e->SetWidth(DepthToPage(row.Bottom) - FLeft);
    } else {
      e->SetLeft(FLeft);
      e->SetWidth(GetWidth());
      e->SetTopDepth(row.Top);
      e->SetBottomDepth(row.Bottom);
    }
    e->SetTopLine(FTopLine);
    e->SetDataBase(FDataBase.Get());
    for (const QString& name : row.Names)
      if (e->AddSignName(name) == 0) ++r.SignsCut;
  }
  FFilling = false;
  Changed();
  AttachDataBase();
  AutoPlaceAll();
  SetModified(true);
  Invalidate(this);
  if (report) *report = r;
  return true;
}

bool TPrintStratCol::AddLayerDataFrom(const TStringTable& table, TLayerImportReport* report) {
  TLayerImportReport r;
  r.Rows = table.RowCount();
  if (table.RowCount() < 1 || table.ColCount() < 3) return false;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto same = [](double a, double b) { return std::abs(a - b) < kSameDepth; };
  const TRockNames rocks(FDataBase.Get());
  for (int row = 0; row < table.RowCount(); ++row) {
    const double top = CellNumber(table.GetCell(0, row), nan);
    const double bottom = CellNumber(table.GetCell(1, row), nan);
    if (std::isnan(top) || std::isnan(bottom) || top < 0 || !(top < bottom)) {
      ++r.Skipped;
      continue;
    }
    const QStringList names = RowNames(table, row, false, rocks, &r.RockNames);
    SortByTop();
    std::vector<TStratColEntry*> hit;
    for (TStratColEntry* e : Layers())
      if (e->TopDepth() < bottom - kSameDepth && e->BottomDepth() > top + kSameDepth) hit.push_back(e);
    // Splits a layer at `depth`: the new lower part carries the same signs.
    const auto split = [this](TStratColEntry* upper, double depth) {
      const double oldBottom = upper->BottomDepth();
      auto made = std::make_unique<TStratColEntry>();
      TStratColEntry* lower = made.get();
      lower->Assign(upper);
      AddChild(std::move(made));
      upper->SetBottomDepth(depth);
      lower->SetTopDepth(depth);
      lower->SetBottomDepth(oldBottom);
      return lower;
    };
    std::vector<TStratColEntry*> collection;
    if (hit.empty()) {
      if (TStratColEntry* e = AddLayer(top, bottom)) collection.push_back(e);
    } else {
      if (hit.front()->TopDepth() < top && !same(hit.front()->TopDepth(), top)) hit.front() = split(hit.front(), top);
      if (hit.back()->BottomDepth() > bottom && !same(hit.back()->BottomDepth(), bottom)) split(hit.back(), bottom);
      collection = hit;
      const auto fill = [&](double from, double to) {
        if (to - from >= kSameDepth)
          if (TStratColEntry* e = AddLayer(from, to)) collection.push_back(e);
      };
      fill(top, hit.front()->TopDepth());
      for (size_t i = 0; i + 1 < hit.size(); ++i) fill(hit[i]->BottomDepth(), hit[i + 1]->TopDepth());
      fill(hit.back()->BottomDepth(), bottom);
    }
    for (TStratColEntry* e : collection)
      for (const QString& name : names)
        if (e->AddSignName(name) == 0) ++r.SignsCut;
  }
  Changed();
  AttachDataBase();
  SortByTop();
  SetModified(true);
  Invalidate(this);
  if (report) *report = r;
  return true;
}

void TPrintStratCol::ReportImport(const TLayerImportReport& r) {
  QStringList parts;
  if (r.Skipped > 0 || r.Shortened > 0)
    parts << SubstituteArgs(ColText("LayerRowsSkipped",
                                    "Of %s rows, %s were not imported (depths missing, negative "
                                    "or reversed, or inside the layer above) and %s overlapping "
                                    "rows were shortened to start below the layer above."),
                            {QString::number(r.Rows), QString::number(r.Skipped), QString::number(r.Shortened)});
  if (r.SignsCut > 0)
    parts << SubstituteArgs(ColText("LayerSignsCut", "A layer holds at most %s signs: %s names were left out."),
                            {QString::number(kMaxLayerSigns), QString::number(r.SignsCut)});
  const bool warn = !parts.isEmpty();
  if (!r.RockNames.isEmpty())
    parts << SubstituteArgs(ColText("LayerRockNames", "Rock names were read as the codes of their signs: %s."),
                            {NamesForMessage(r.RockNames)});
  if (!parts.isEmpty())
    Ui().Message(warn ? TMsgKind::Warning : TMsgKind::Information, TranslateWord(QStringLiteral("Import")),
                 parts.join(QLatin1Char('\n')), mbOK);
}

bool TPrintStratCol::ImportLayers() {
  QString error;
  const std::unique_ptr<TStringTable> table = ImportIntervalsFor(this, &error);
  if (!table) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), error, mbOK);
    return false;
  }
  TLayerImportReport report;
  if (!ImportLayersFrom(*table, &report)) return false;
  ReportImport(report);
  CheckSigns();
  return true;
}

bool TPrintStratCol::AddLayerData() {
  QString error;
  const std::unique_ptr<TStringTable> table = ImportIntervalsFor(this, &error);
  if (!table) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), error, mbOK);
    return false;
  }
  TLayerImportReport report;
  if (!AddLayerDataFrom(*table, &report)) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Error")),
                 TranslateGeneral(QStringLiteral("FileHasnoData"), QStringLiteral("This file not contains data")),
                 mbOK);
    return false;
  }
  ReportImport(report);
  CheckSigns();
  return true;
}

std::vector<TLayerRow> TPrintStratCol::LayerRows() const {
  std::vector<TLayerRow> rows;
  for (const TStratColEntry* e : Layers()) rows.push_back({e->TopDepth(), e->BottomDepth(), e->SignNames()});
  return rows;
}

void TPrintStratCol::SetLayerRow(int index, const TLayerRow& row) {
  const std::vector<TStratColEntry*> layers = Layers();
  if (index < 0 || index >= static_cast<int>(layers.size())) return;
  TStratColEntry* e = layers[static_cast<size_t>(index)];
  if (std::isfinite(row.TopDepth) && std::isfinite(row.BottomDepth) && row.BottomDepth > row.TopDepth) {
    e->SetTopDepth(row.TopDepth);
    e->SetBottomDepth(row.BottomDepth);
  }
  int last = static_cast<int>(row.Signs.size()) - 1;
  while (last >= 0 && row.Signs[last].isEmpty()) --last;
  const int wanted = std::min(last + 1, kMaxLayerSigns);
  while (e->SignCount() < wanted && e->InsertSignName(e->SignCount(), QString())) {
  }
  while (e->SignCount() > wanted && e->DeleteSign(e->SignCount() - 1)) {
  }
  for (int i = 0; i < wanted; ++i)
    if (e->GetSignName(i) != row.Signs[i]) e->SetSignName(i, row.Signs[i]);
  SetModified(true);
}

void TPrintStratCol::ApplyTopLine(const TBoundaryLine& line, bool all) {
  FTopLine = line;
  if (all)
    for (TStratColEntry* e : Layers())
      if (e->TopDepth() > 0) e->SetTopLine(line);
  SetModified(true);
  Invalidate(this);
}

bool TPrintStratCol::OpenDataBaseEditor() {
  TComPtr<ILanguage> language = CreateLanguageObject();
  const std::string caption = Utf8ToCp1251(Caption().toStdString());
  return stratCreateEditor(nullptr, FDataBase.Get(), nullptr, caption.c_str(), &TPrintStratCol::DBChanged, this,
                           language.Get());
}

void TPrintStratCol::DBChanged(void* data, IStratDataBase*, int32_t code) {
  auto* column = static_cast<TPrintStratCol*>(data);
  if (!column || code != 0) return;
  column->Invalidate(column);
  column->SetModified(true);
  column->DataBaseChanged();
}

int TPrintStratCol::WatchDataBase(std::function<void()> watcher) {
  if (!watcher) return 0;
  FWatchers.emplace_back(++FLastWatch, std::move(watcher));
  return FLastWatch;
}

void TPrintStratCol::UnwatchDataBase(int id) {
  std::erase_if(FWatchers, [id](const auto& w) { return w.first == id; });
}

void TPrintStratCol::DataBaseChanged() {
  // A copy: a watcher may remove itself (or another) while being told.
  const auto watchers = FWatchers;
  for (const auto& [id, watcher] : watchers)
    if (std::any_of(FWatchers.begin(), FWatchers.end(), [id = id](const auto& w) { return w.first == id; })) watcher();
}

bool TPrintStratCol::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  FDataBaseFile = QString::fromStdString(Cp1251ToUtf8(qsReadShortStr(stream, idDataBaseFile, {})));
  FTopLine.Style = qsReadInteger(stream, idTopLineStyle, 0);
  FTopLine.Color = qsReadInteger(stream, idTopLineColor, 0);
  const double width = qsReadDouble(stream, idTopLineWidth, 0.0);
  FTopLine.LineWidth = std::isfinite(width) ? width : 0.0;
  return true;
}

bool TPrintStratCol::SaveToQS(ICompoundStream* stream) {
  if (!TDataObject::SaveToQS(stream)) return false;
  bool ok = true;
  if (!FDataBaseFile.isEmpty())
    ok = qsWriteShortStr(stream, idDataBaseFile, Utf8ToCp1251(DataBaseStreamName().toStdString()));
  qsWriteInteger(stream, idTopLineStyle, FTopLine.Style);
  qsWriteInteger(stream, idTopLineColor, FTopLine.Color);
  qsWriteDouble(stream, idTopLineWidth, FTopLine.LineWidth);
  return ok;
}

bool TPrintStratCol::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::LoadFromIni(ini, section, prefix)) return false;
  LoadDataBase(ini->ReadString(section, prefix + QStringLiteral("Lsd"), kDefaultLsd));
  // Layers of a template name their signs only.
  AutoPlaceAll();
  return true;
}

bool TPrintStratCol::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TDataObject::SaveToIni(ini, section, prefix)) return false;
  return FDataBaseFile.isEmpty() || ini->WriteString(section, prefix + QStringLiteral("Lsd"), DataBaseStreamName());
}

void TPrintStratCol::FitLoadedLayer(TPrintObject* layer) {
  if (!FLoadingNames || !layer || layer->Parent() != this) return;
  const double left = layer->Left(), width = layer->GetWidth(), top = layer->Top();
  FitChild(layer);
  // The setters change (and mark) exactly what is not equal to the column's.
  if (!(left == layer->Left()) || !(width == layer->GetWidth()) || !(top == layer->Top())) FLoadFits.Moved = true;
  FLoadFits.Lowest = std::max(FLoadFits.Lowest, layer->BottomEdge());
  ++FLoadFits.Count;
}

void TPrintStratCol::AttachLoadedLayer(TStratColEntry* layer) {
  if (!FLoadingNames || !layer || layer->Parent() != this) return;
  layer->SetDataBase(FDataBase.Get());
  layer->SetModified(true);
  ++FLoadFits.Attached;
}

void TPrintStratCol::Changed() {
  if (FFilling) return;
  const double bottom = BottomEdge();
  double lowest = bottom;
  if (FLoadingNames && FLoadFits.Count == Count()) {
    // Every child is a layer fitted as it loaded: what the walk below would
    // find (a layer it moves is marked modified, and so is the column).
    if (FLoadFits.Moved) SetModified(true);
    lowest = std::max(lowest, FLoadFits.Lowest);
  } else {
    for (int i = 0; i < Count(); ++i) {
      TPrintObject* c = GetChild(i);
      if (!c) continue;
      FitChild(c);
      lowest = std::max(lowest, c->BottomEdge());
    }
  }
  if (lowest > bottom) {
    SetHeight(lowest - FTop);
    SetModified(true);
    if (TPrintObject* parent = Parent()) parent->Changed();
  }
}

uint32_t TPrintStratCol::HitTest(double x, double y, TPrintObject** target) {
  TPrintObject* own = nullptr;
  const uint32_t code = TPrintObject::HitTest(x, y, &own);
  if (code == 0) return TDataObject::HitTest(x, y, target);
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    TPrintObject* hit = nullptr;
    if (!c) continue;
    if (const uint32_t childCode = c->HitTest(x, y, &hit); childCode > 0) {
      if (target) *target = hit;
      return childCode;
    }
  }
  if (target) *target = own;
  return code;
}

void TPrintStratCol::GetCommandCaption(QString* text) {
  if (text) *text = ColText("LDBEdit", "Rock codes");
}

bool TPrintStratCol::ExecuteCommand() { return OpenDataBaseEditor(); }

bool TPrintStratCol::ClickAt(int code, double, double y) {
  if (code != kEditMode || !(FTop < y && y < BottomEdge())) return false;
  double d = FTop;
  for (const TStratColEntry* e : Layers())
    if (e->BottomEdge() < y) d = std::max(d, e->BottomEdge());
  auto made = std::make_unique<TStratColEntry>();
  made->SetTop(d);
  made->SetHeight(y - d);
  AddChild(std::move(made));
  Invalidate(this);
  return true;
}

void TPrintStratCol::AdjustChildBounds(TPrintObject* child, const TBoundsRect& start, TBoundsRect* bounds) {
  TDataObject::AdjustChildBounds(child, start, bounds);
  if (!child || !bounds) return;
  TBoundsRect& b = *bounds;
  // A moved layer never swallows the next one.
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c || c == child) continue;
    if (c->Top() > b.Top && c->BottomEdge() <= b.Bottom) b.Bottom = std::round(c->Top());
  }
  if (b.Bottom <= b.Top) b.Bottom = start.Bottom;
  // The neighbour just below keeps its bottom edge.
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c || c == child || c->Top() != start.Bottom) continue;
    const double height = c->BottomEdge() - b.Bottom;
    if (height <= 0) continue;
    c->SetHeight(height);
    c->SetTop(b.Bottom);
  }
}

void TPrintStratCol::Assign(TPrintObject* source) {
  TDataObject::Assign(source);
  if (auto* col = dynamic_cast<TPrintStratCol*>(source); col && col != this) {
    stratCopy(col->FDataBase.Get(), FDataBase.Get());
    FDataBaseFile = col->FDataBaseFile;
    AttachDataBase();
    DataBaseChanged();
  }
}

void TPrintStratCol::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  QPainter* dc = context.DC;
  const TRect r = GetPixelRect(context);
  if (context.Has(doBorders) && dc) {
    if (!r.Intersects(context.ClipRect)) return;
    dc->fillRect(ToQRect(r), Qt::white);
  }
  // Only the layers in the repainted area draw anything (selection marks included). A long
  // column holds thousands: a cheap test of each one's depth span in page millimetres, two
  // pixels wider than rounding can move an edge, comes before the exact one in pixels.
  const TPixelMapping pixels = context.Pixels();
  const double k = pixels.Ky * pixels.Zoom;
  const bool spanned = k > 0 && std::isfinite(k);
  const double low = spanned ? (context.ClipRect.Top - 2) / k + pixels.OriginY : 0;
  const double high = spanned ? (context.ClipRect.Bottom + 2) / k + pixels.OriginY : 0;
  std::vector<TStratColEntry*> layers;
  std::vector<TPrintObject*> others;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c) continue;
    if (c->GetKind() == kindLCEntry) {
      if (spanned && (c->Top() > high || c->Top() + c->GetHeight() < low)) continue;
      if (auto* e = dynamic_cast<TStratColEntry*>(c)) {
        if (PixelRect(*e, pixels).Intersects(context.ClipRect)) layers.push_back(e);
        continue;
      }
    }
    others.push_back(c);
  }
  // All cut signs first, then the lines and the signs that may reach into neighbours.
  for (TStratColEntry* e : layers) e->DrawClipped(context);
  if (dc && context.Has(doBorders) && TLineBatch::Usable(dc)) {
    // Boundaries and bottom lines of consecutive layers share pens: drawn in batches.
    TLineBatch batch(context.ClipRect.Top - 1, context.ClipRect.Bottom + 1);
    for (TStratColEntry* e : layers) e->DrawOpen(context, &batch);
    batch.Flush(dc);
  } else {
    for (TStratColEntry* e : layers) e->DrawOpen(context);
  }
  for (TPrintObject* c : others) c->Draw(context);
  if (context.Has(doBorders) && dc) {
    dc->drawLine(r.Left, r.Top, r.Right, r.Top);
    dc->drawLine(r.Right, r.Top, r.Right, r.Bottom);
    dc->drawLine(r.Right, r.Bottom, r.Left, r.Bottom);
    dc->drawLine(r.Left, r.Bottom, r.Left, r.Top);
  }
  DrawFrame(context);
  DrawSelection(context);
}

bool TPrintStratCol::EditProperties() {
  const bool ok = RunPropertiesDialog(QStringLiteral("TPrintStratCol"), this);
  Invalidate(this);
  return ok;
}

int TPrintStratCol::AddChild(std::unique_ptr<TPrintObject> child) {
  TPrintObject* c = child.get();
  const int index = TDataObject::AddChild(std::move(child));
  if (index < 0) return index;
  // A child of a loading storage is fitted once its values are in (by
  // FitLoadedLayer, or the walk of Changed after the load).
  if (!FLoadingNames) FitChild(c);
  if (auto* e = dynamic_cast<TStratColEntry*>(c)) {
    e->SetDataBase(FDataBase.Get());
    e->SetTopLine(FTopLine);
    if (FLoadingNames) ++FLoadFits.Layers;
  }
  // The other children are fitted already: only the new one can make the
  // column grow (a full fit per child would make loading quadratic).
  if (!FFilling && c->BottomEdge() > BottomEdge()) {
    SetHeight(c->BottomEdge() - FTop);
    SetModified(true);
    if (TPrintObject* parent = Parent()) parent->Changed();
  }
  return index;
}

bool TPrintStratCol::InsertNewChildAt(double, double y0, double, double y) {
  // Depths are proposed to the centimetre: nobody types 1466.72583241192.
  const auto centimetres = [](double depth) { return std::round(depth * 100) / 100; };
  double from = centimetres(PageToDepth(y + 1));
  double to = centimetres(PageToDepth(y0 - 1));
  // A click (the pop-up's Add, the structure dialog) has no extent to take
  // the boundaries from, which would propose a top below the bottom.
  if (std::abs(y0 - y) < 2) std::tie(from, to) = ClickDepths(y);
  ProposedFrom = from >= 0 ? from : -1;
  ProposedTo = to >= 0 ? to : -1;
  return RunPropertiesDialog(QStringLiteral("TPrintStratCol.AddLayer"), this);
}

std::unique_ptr<TPrintObject> TPrintStratCol::CreateChild(int kind) {
  return CreateKindObject(kind, {kindLCEntry, kindText, kindStatusDDLine});
}

bool TPrintStratCol::LoadFromStorage(TStorage* storage) {
  // The layers note their sign names as they load, while the names are at hand.
  TSignNameTally names;
  FLoadingNames = &names;
  FLoadFits = {};
  const bool children = TDataObject::LoadFromStorage(storage);
  FLoadingNames = nullptr;
  if (!children) return false;
  const bool attached = FLoadFits.Attached == FLoadFits.Layers;
  const bool modified = FModified;
  bool loaded = false;
  std::vector<uint8_t> bytes;
  if (storage->ReadStream(kLsd2, &bytes) == S_OK) {
    // Read from a memory stream that takes the bytes over.
    auto* memory = new TMemoryStream(std::move(bytes));
    TComPtr<IStream> source(memory);
    if (TComPtr<IStratDataBase> db = DataBaseFromBytes(memory->Bytes(), false, source.Get()))
      loaded = CopyLoadedDataBase(db.Get(), memory->Bytes(), FDataBase.Get()) == S_OK;
  }
  // Older documents hold only the raw form, under the database's file name
  // ("default.lsd" when the column named none, as saves write it).
  if (!loaded && storage->ReadStream(DataBaseStreamName(), &bytes) == S_OK)
    if (TComPtr<IStratDataBase> db = DataBaseFromBytes(bytes, true, nullptr))
      loaded = stratCopy(db.Get(), FDataBase.Get()) == S_OK;
  // The layers hold the database already (the same one, its content loaded
  // now) unless one did not load.
  if (!attached) AttachDataBase();
  DataBaseChanged();
  FModified = modified;
  CheckSigns(&names);
  return loaded;
}

bool TPrintStratCol::SaveToStorage(TStorage* storage) {
  if (!TDataObject::SaveToStorage(storage)) return false;
  // The raw form for older readers; a name the storage refuses skips it.
  TComPtr<IStream> raw;
  if (storage->CreateStream(DataBaseStreamName(), raw.Put()) == S_OK) {
    auto old = FDataBase.As<IStratDataBaseOld>(IID_IStratDataBaseOld);
    const int32_t size = old ? old->SaveToOldBuffer(nullptr, 0) : 0;
    std::vector<uint8_t> buffer;
    try {
      buffer.resize(static_cast<size_t>(std::max(size, 0)));
    } catch (const std::bad_alloc&) {
      FModified = true;
      return false;
    }
    if (size <= 0 || old->SaveToOldBuffer(buffer.data(), size) != size) {
      FModified = true;
      return false;
    }
    uint32_t done = 0;
    if (raw->Write(buffer.data(), static_cast<uint32_t>(size), &done) != S_OK || done != static_cast<uint32_t>(size)) {
      FModified = true;
      return false;
    }
  }
  TComPtr<IStream> lsd2;
  if (storage->CreateStream(kLsd2, lsd2.Put()) != S_OK) return true;
  auto stream = FDataBase.As<IStratStream>(IID_IStratStream);
  if (!stream || stream->SaveToStream(lsd2.Get()) != S_OK) {
    FModified = true;
    return false;
  }
  return true;
}

void TPrintStratCol::ScaleChanged(uint16_t oldScale, uint16_t newScale) {
  if (oldScale > 0 && newScale > 0 && oldScale != newScale) RescaleChildren(static_cast<double>(oldScale) / newScale);
  TDataObject::ScaleChanged(oldScale, newScale);
}

void TPrintStratCol::RescaleChild(TPrintObject* child, double factor, double top) {
  TDataObject::RescaleChild(child, factor, top);
  if (auto* layer = dynamic_cast<TStratColEntry*>(child)) layer->AutoPlace();
}

void TPrintStratCol::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case scImport:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case scAddData:
      *text = ColText("ImportAdd", "Add data");
      break;
    case scExport:
      *text = TranslateWord(QStringLiteral("Export"));
      break;
    case scDataBase:
      *text = ColText("LDBEdit", "Rock codes");
      break;
    case 4:
      *text = QStringLiteral("-");
      break;
    case scEdit:
      *text = TranslateWord(QStringLiteral("Edit"));
      break;
    case scAutoPlace:
      *text = ColText("PlaceAutomatically", "Auto layout");
      break;
    case scFloating:
      *text = Floating() ? ColText("CanSizeVertOff", "Disable boundary floating")
                         : ColText("CanSizeVertOn", "Enable boundary floating");
      break;
    case scTopBoundary:
      *text = ColText("TopBoundary", "Top boundary");
      break;
    default:
      *text = TranslateWord(QStringLiteral("Error"));
  }
}

bool TPrintStratCol::ExecuteMenuCommand(int index) {
  switch (index) {
    case scImport:
      return ImportLayers();
    case scAddData:
      return AddLayerData();
    case scExport:
      return ExportLayers(this);
    case scDataBase:
      return OpenDataBaseEditor();
    case scEdit:
      return EditProperties();
    case scAutoPlace:
      AutoPlaceAll();
      Invalidate(this);
      return true;
    case scFloating:
      SetFloating(!Floating());
      SetModified(true);
      return true;
    case scTopBoundary:
      return RunPropertiesDialog(QStringLiteral("TPrintStratCol.TopBoundary"), this);
    default:
      return false;
  }
}

void TPrintStratCol::ClearData() {
  Clear();
  SetModified(true);
}

void TPrintStratCol::DumpProperties(QJsonObject* json) const {
  if (!json) return;
  TDataObject::DumpProperties(json);
  (*json)[QStringLiteral("dataBaseFile")] = FDataBaseFile;
  (*json)[QStringLiteral("dataBaseSigns")] = FDataBase ? FDataBase->SignCount() : 0;
  (*json)[QStringLiteral("layerCount")] = static_cast<int>(Layers().size());
  (*json)[QStringLiteral("unknownSignLayers")] = UnknownSignLayers();
  (*json)[QStringLiteral("floating")] = Floating();
  QJsonObject line;
  line[QStringLiteral("style")] = FTopLine.Style;
  line[QStringLiteral("color")] = FTopLine.Color;
  line[QStringLiteral("lineWidth")] = FTopLine.LineWidth;
  (*json)[QStringLiteral("topLine")] = line;
}

void RegisterStratColKinds() {
  RegisterKind(kindStratCol, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintStratCol>(); });
  RegisterKind(kindLCEntry, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TStratColEntry>(); });
}
