#include "uPrintColorLine.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>

#include "qs.h"
#include "qsID.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPropertiesDialogs.h"

namespace {

constexpr int32_t idCount = 8192;
constexpr int32_t idFirstCategory = -50000;
constexpr int32_t idName = 8193;
constexpr int32_t idBarLeft = 8194;
constexpr int32_t idBarRight = 8195;
constexpr int32_t idColor = 8196;
constexpr int32_t idRangeMin = 8197;
constexpr int32_t idRangeMax = 8198;
constexpr int32_t idType = 8199;
constexpr int32_t idGlue = 8200;
constexpr int32_t idTable = 8201;
// Category IDs run from -50000 upwards and must stay below the category's
// own IDs: a stored count is looked at no further than this.
constexpr int32_t kMaxCategories = 50000;

double Cell(const TStringTable& table, int col, int row) {
  const QByteArray text = table.GetCell(col, row).trimmed().toUtf8();
  return ReadNumber(std::string_view(text.constData(), static_cast<size_t>(text.size())), -1);
}

}  // namespace

void TColorCategory::BuildBars() {
  Bars.clear();
  BarsBuilt = true;
  if (CategoryType != ccSimple) return;
  // Counted first with the same rules, so the array is sized once.
  const int rows = Table.RowCount();
  std::vector<char> selected(static_cast<size_t>(rows));
  size_t count = 0;
  for (int r = 0, last = -2; r < rows; ++r) {
    const double v = Cell(Table, 2, r);
    if (!(v >= RangeMin && v <= RangeMax)) continue;
    selected[static_cast<size_t>(r)] = 1;
    if (!GlueClosers || r != last + 1) ++count;
    last = r;
  }
  Bars.reserve(count);
  for (int r = 0, last = -2; r < rows; ++r) {
    if (!selected[static_cast<size_t>(r)]) continue;
    if (GlueClosers && r == last + 1 && !Bars.empty())
      Bars.back().BottomDepth = Cell(Table, 1, r);
    else
      Bars.push_back({BarLeft, Cell(Table, 0, r), BarRight, Cell(Table, 1, r), Color});
    last = r;
  }
}

bool TColorCategory::LoadFromQS(ICompoundStream* stream) {
  Name = QString::fromStdString(Cp1251ToUtf8(qsReadShortStr(stream, idName, "")));
  BarLeft = qsReadDouble(stream, idBarLeft, 0);
  BarRight = qsReadDouble(stream, idBarRight, 0);
  Color = static_cast<uint32_t>(qsReadInteger(stream, idColor, 0));
  RangeMin = qsReadDouble(stream, idRangeMin, 0);
  RangeMax = qsReadDouble(stream, idRangeMax, 0);
  CategoryType = qsReadInteger(stream, idType, ccSimple);
  GlueClosers = qsReadBool(stream, idGlue, true);
  Table.Clear();
  TComPtr<ICompoundStream> table;
  if (qsReadCompoundStream(stream, idTable, table.Put()) == S_OK && table) Table.LoadFromQS(table.Get());
  Bars.clear();
  BarsBuilt = false;
  return true;
}

bool TColorCategory::SaveToQS(ICompoundStream* stream) const {
  qsWriteShortStr(stream, idName, Utf8ToCp1251(Name.toStdString()));
  qsWriteDouble(stream, idBarLeft, BarLeft);
  qsWriteDouble(stream, idBarRight, BarRight);
  qsWriteInteger(stream, idColor, static_cast<int32_t>(Color));
  qsWriteDouble(stream, idRangeMin, RangeMin);
  qsWriteDouble(stream, idRangeMax, RangeMax);
  qsWriteInteger(stream, idType, CategoryType);
  qsWriteBool(stream, idGlue, GlueClosers);
  TComPtr<ICompoundStream> table;
  qsCreateCompoundStream(table.Put());
  if (!table || !Table.SaveToQS(table.Get())) return false;
  return qsWriteCompoundStream(stream, idTable, table.Get()) == S_OK;
}

std::unique_ptr<TColorCategory> TColorCategory::Clone() const {
  auto copy = std::make_unique<TColorCategory>();
  TComPtr<ICompoundStream> stream;
  qsCreateCompoundStream(stream.Put());
  if (stream && SaveToQS(stream.Get())) copy->LoadFromQS(stream.Get());
  return copy;
}

void TPrintColorLine::SetCategories(TCategories categories) {
  FCategories = std::move(categories);
  SetModified(true);
}

void TPrintColorLine::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  TDataObject::Draw(context);
  QPainter* dc = context.DC;
  if (!dc) return;
  const TPixelMapping px = context.Pixels();
  const TDepthMapping depth = DepthMapping();
  const QBrush old = dc->brush();
  for (const auto& category : FCategories) {
    if (!category->BarsBuilt) category->BuildBars();
    if (category->Bars.empty()) continue;
    dc->setBrush(GdiBrush(ColorRefToQColor(category->Color)));
    for (const TColorLineBufer& bar : category->Bars) {
      const int x1 = px.X(FLeft + bar.X1), x2 = px.X(FLeft + bar.X2);
      const int y1 = px.Y(depth.ToPage(bar.TopDepth)), y2 = px.Y(depth.ToPage(bar.BottomDepth));
      dc->drawRect(
          QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
    }
  }
  dc->setBrush(old);
}

bool TPrintColorLine::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintColorLine"), this); }

bool TPrintColorLine::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  FCategories.clear();
  const int32_t count = std::min(qsReadInteger(stream, idCount, 0), kMaxCategories);
  for (int32_t i = 0; i < count; ++i) {
    TComPtr<ICompoundStream> child;
    if (qsReadCompoundStream(stream, idFirstCategory + i, child.Put()) != S_OK || !child) continue;
    auto category = std::make_unique<TColorCategory>();
    category->LoadFromQS(child.Get());
    FCategories.push_back(std::move(category));
  }
  return true;
}

bool TPrintColorLine::SaveToQS(ICompoundStream* stream) {
  if (!TDataObject::SaveToQS(stream)) return false;
  qsWriteInteger(stream, idCount, static_cast<int32_t>(FCategories.size()));
  for (size_t i = 0; i < FCategories.size(); ++i) {
    TComPtr<ICompoundStream> child;
    qsCreateCompoundStream(child.Put());
    if (!child) continue;
    FCategories[i]->SaveToQS(child.Get());
    qsWriteCompoundStream(stream, idFirstCategory + static_cast<int32_t>(i), child.Get());
  }
  return true;
}

void TPrintColorLine::ClearData() {
  TDataObject::ClearData();
  for (auto& category : FCategories) {
    category->Table.Clear();
    category->Bars.clear();
    category->BarsBuilt = false;
  }
  SetModified(true);
}

void TPrintColorLine::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case 0:
      *text = TranslateWord(QStringLiteral("Import"));
      break;
    case 1:
      *text = QStringLiteral("-");
      break;
    case 2:
      *text = TranslateWord(QStringLiteral("Properties"));
      break;
    default:
      TDataObject::GetMenuCommandCaption(index, text);
  }
}

bool TPrintColorLine::ExecuteMenuCommand(int index) {
  switch (index) {
    case 0:
      return Import();
    case 1:
      return false;
    case 2:
      return EditProperties();
    default:
      return TDataObject::ExecuteMenuCommand(index);
  }
}

bool TPrintColorLine::Import() {
  if (FCategories.empty()) return false;
  TStringTable loaded;
  if (loaded.ImportWithDialog() != S_OK) return false;
  Notify(ncBeforeChange);
  for (auto& category : FCategories) {
    category->Table.Assign(loaded);
    category->BuildBars();
  }
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintColorLine::DumpProperties(QJsonObject* json) const {
  TDataObject::DumpProperties(json);
  if (!json) return;
  QJsonArray categories;
  for (const auto& c : FCategories) {
    QJsonObject o;
    o[QStringLiteral("name")] = c->Name;
    o[QStringLiteral("color")] = static_cast<qint64>(c->Color);
    o[QStringLiteral("barLeft")] = c->BarLeft;
    o[QStringLiteral("barRight")] = c->BarRight;
    o[QStringLiteral("rangeMin")] = c->RangeMin;
    o[QStringLiteral("rangeMax")] = c->RangeMax;
    o[QStringLiteral("type")] = c->CategoryType;
    o[QStringLiteral("glueClosers")] = c->GlueClosers;
    o[QStringLiteral("rows")] = c->Table.RowCount();
    categories.append(o);
  }
  (*json)[QStringLiteral("categories")] = categories;
}
