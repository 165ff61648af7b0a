#include "uPrintVectorGraphic.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "qsID.h"
#include "uCodePage.h"
#include "uFontEx.h"
#include "uLanguage.h"
#include "uLittleEndian.h"
#include "uNumbers.h"
#include "uPropertiesDialogs.h"
#include "uStringTable.h"

namespace {

constexpr int32_t idCount = -10001;
constexpr int32_t idRecords = -10000;
constexpr int32_t idTexts = -20000;
// Records are read until the first missing one; the count only reserves.
constexpr int32_t kMaxReserve = 65536;
constexpr double kArrowMm = 3;
constexpr double kArrowHalfHeightMm = 1;

const char* const kNames[] = {"", "RECT", "LINE", "ARROW", "TEXT", "LINEP"};

double Parse(const QString& text) {
  const QByteArray utf8 = text.trimmed().toUtf8();
  return ReadNumber(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), 0);
}

QString Number(double value) { return QString::fromStdString(FormatGeneral(value)); }

// A command's deepest depth: Y2 counts for the kinds drawn between two depths.
double DeepestOf(const TVGCommandEx& c) {
  const bool twoDepths =
      c.CommandType == vgRect || c.CommandType == vgLine || c.CommandType == vgArrow || c.CommandType == vgLineP;
  return twoDepths ? std::max(c.Y1, c.Y2) : c.Y1;
}

}  // namespace

int32_t VGCommandTypeOf(const QString& name) {
  const QString upper = name.trimmed().toUpper();
  for (int32_t t = vgRect; t <= vgLineP; ++t)
    if (upper == QLatin1String(kNames[t])) return t;
  return vgNone;
}

QString VGCommandName(int32_t type) {
  return type >= vgRect && type <= vgLineP ? QLatin1String(kNames[type]) : QString();
}

TVGRecord PackVGCommand(const TVGCommandEx& c) {
  TVGRecord r{};
  PutLE32(&r[0], static_cast<uint32_t>(c.CommandType));
  PutLE32(&r[4], static_cast<uint32_t>(c.X1));
  uint64_t bits = 0;
  std::memcpy(&bits, &c.Y1, 8);
  PutLE32(&r[8], static_cast<uint32_t>(bits));
  PutLE32(&r[12], static_cast<uint32_t>(bits >> 32));
  PutLE32(&r[16], static_cast<uint32_t>(c.X2));
  std::memcpy(&bits, &c.Y2, 8);
  PutLE32(&r[24], static_cast<uint32_t>(bits));
  PutLE32(&r[28], static_cast<uint32_t>(bits >> 32));
  return r;
}

TVGCommandEx UnpackVGCommand(const TVGRecord& r) {
  TVGCommandEx c;
  c.CommandType = static_cast<int32_t>(GetLE32(&r[0]));
  c.X1 = static_cast<int32_t>(GetLE32(&r[4]));
  uint64_t bits = GetLE32(&r[8]) | uint64_t(GetLE32(&r[12])) << 32;
  std::memcpy(&c.Y1, &bits, 8);
  c.X2 = static_cast<int32_t>(GetLE32(&r[16]));
  bits = GetLE32(&r[24]) | uint64_t(GetLE32(&r[28])) << 32;
  std::memcpy(&c.Y2, &bits, 8);
  return c;
}

void TPrintVectorGraphic::SetCommands(std::vector<TVGCommandEx> commands) {
  FCommands = std::move(commands);
  SetModified(true);
}

void TPrintVectorGraphic::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  TDataObject::Draw(context);
  QPainter* dc = context.DC;
  const TRect r = GetPixelRect(context);
  if (!dc || !context.Has(doBorders) || !r.Intersects(context.ClipRect)) return;
  const TDepthMapping depth = DepthMapping();
  const TPixelMapping px = context.Pixels();
  const auto x = [&](double mm) { return px.X(FLeft + mm); };
  const auto y = [&](double d) { return px.Y(depth.ToPage(d)); };
  const QPen current = dc->pen();
  const QBrush brush = dc->brush();
  for (size_t i = 0; i < FCommands.size(); ++i) {
    const TVGCommandEx& c = FCommands[i];
    dc->setPen(static_cast<int>(i) == FHighlighted ? CosmeticPen(Qt::black, psSolid, 3) : current);
    switch (c.CommandType) {
      case vgRect: {
        const TRect box{std::min(x(c.X1), x(c.X2)), std::min(y(c.Y1), y(c.Y2)), std::max(x(c.X1), x(c.X2)),
                        std::max(y(c.Y1), y(c.Y2))};
        FillPixelRect(dc, box, GdiBrush(Qt::white));
        DrawOutline(dc, box);
        break;
      }
      case vgLine:
        dc->drawLine(x(c.X1), y(c.Y1), x(c.X2), y(c.Y2));
        break;
      case vgArrow: {
        dc->drawLine(x(c.X1), y(c.Y1), x(c.X2), y(c.Y2));
        // The head's barbs stand about the tip's own depth, so a sloping
        // arrow's head stays on its end.
        const double d = c.X1 < c.X2 ? kArrowMm : -kArrowMm;
        const double tip = depth.ToPage(c.Y2);
        const QPoint head[3] = {QPoint(x(c.X2 - d), px.Y(tip - kArrowHalfHeightMm)), QPoint(x(c.X2), y(c.Y2)),
                                QPoint(x(c.X2 - d), px.Y(tip + kArrowHalfHeightMm))};
        dc->drawPolyline(head, 3);
        break;
      }
      case vgText: {
        TFontEx font;
        font.SetResolution(RoundEven(context.DpiY() * static_cast<double>(context.Zoom)));
        font.SetSize(c.X2);
        font.SetAngle(c.Angle);
        const QSize size = font.MeasureLine(dc, c.Text);
        font.DrawLine(dc, x(c.X1), y(c.Y1) - size.height() / 2, c.Text);
        break;
      }
      case vgLineP:
        dc->setPen(CosmeticPen(Qt::black, psDashDot, 1));
        dc->drawLine(x(c.X1), y(c.Y1), x(c.X2), y(c.Y2));
        break;
      default:
        break;
    }
  }
  dc->setPen(current);
  dc->setBrush(brush);
}

bool TPrintVectorGraphic::EditProperties() { return RunPropertiesDialog(QStringLiteral("TPrintVectorGraphic"), this); }

bool TPrintVectorGraphic::LoadFromQS(ICompoundStream* stream) {
  if (!TDataObject::LoadFromQS(stream)) return false;
  FCommands.clear();
  FHighlighted = -1;
  const int32_t count = qsReadInteger(stream, idCount, 0);
  if (count > 0) FCommands.reserve(static_cast<size_t>(std::min(count, kMaxReserve)));
  for (int32_t i = 0; i < count; ++i) {
    TVGRecord record{};
    uint32_t size = record.size();
    if (stream->ReadData(idRecords + i, 0, record.data(), &size) != S_OK) {
      FCommands.clear();
      break;
    }
    TVGCommandEx c = UnpackVGCommand(record);
    c.Text = QString::fromStdString(Cp1251ToUtf8(qsReadShortStr(stream, idTexts + i, {})));
    FCommands.push_back(std::move(c));
  }
  return true;
}

bool TPrintVectorGraphic::SaveToQS(ICompoundStream* stream) {
  if (!TDataObject::SaveToQS(stream)) return false;
  if (!qsWriteInteger(stream, idCount, static_cast<int32_t>(FCommands.size()))) return false;
  for (size_t i = 0; i < FCommands.size(); ++i) {
    const TVGRecord record = PackVGCommand(FCommands[i]);
    const auto id = static_cast<int32_t>(i);
    if (stream->WriteBuffer(idRecords + id, record.data(), static_cast<int32_t>(record.size())) != S_OK) return false;
    if (!qsWriteShortStr(stream, idTexts + id, Utf8ToCp1251(FCommands[i].Text.toStdString()))) return false;
  }
  return true;
}

double TPrintVectorGraphic::GetChildrenHeight() const {
  double deepest = 0;
  for (const TVGCommandEx& c : FCommands) deepest = std::max(deepest, DeepestOf(c));
  return DepthToPage(deepest) - FTop;
}

double TPrintVectorGraphic::GetChildrenWidth() const {
  // The commands' X are millimetres from Left, as they are drawn.
  int32_t widest = 0;
  for (const TVGCommandEx& c : FCommands) widest = std::max({widest, c.X1, c.CommandType == vgText ? 0 : c.X2});
  return widest;
}

void TPrintVectorGraphic::ClearData() {
  TDataObject::ClearData();
  FCommands.clear();
  SetModified(true);
}

void TPrintVectorGraphic::GetMenuCommandCaption(int index, QString* text) {
  if (index == 0 && text)
    *text = TranslateWord(QStringLiteral("Import"));
  else
    TDataObject::GetMenuCommandCaption(index, text);
}

bool TPrintVectorGraphic::ExecuteMenuCommand(int index) {
  return index == 0 ? Import() : TDataObject::ExecuteMenuCommand(index);
}

bool TPrintVectorGraphic::Import() {
  TStringTable table;
  const bool loaded = table.ImportWithDialog() == S_OK;
  if (loaded) {
    Notify(ncBeforeChange);
    CommandsFromTable(table);
    SetModified(true);
  }
  Changed();
  if (loaded) Invalidate(nullptr);
  return loaded;
}

void TPrintVectorGraphic::CommandsToTable(TStringTable* table) const {
  table->Clear();
  table->SetColCount(5);
  table->SetRowCount(static_cast<int>(FCommands.size()));
  for (int row = 0; row < static_cast<int>(FCommands.size()); ++row) {
    const TVGCommandEx& c = FCommands[static_cast<size_t>(row)];
    table->SetCell(0, row, VGCommandName(c.CommandType));
    table->SetCell(1, row, Number(c.X1));
    table->SetCell(2, row, Number(c.Y1));
    table->SetCell(3, row, Number(c.X2));
    table->SetCell(4, row, c.CommandType == vgText ? c.Text : Number(c.Y2));
  }
}

void TPrintVectorGraphic::CommandsFromTable(const TStringTable& table) {
  std::vector<TVGCommandEx> commands(static_cast<size_t>(table.RowCount()));
  double deepest = 0;
  for (int row = 0; row < table.RowCount(); ++row) {
    TVGCommandEx& c = commands[static_cast<size_t>(row)];
    c.CommandType = VGCommandTypeOf(table.GetCell(0, row));
    c.X1 = RoundEven(Parse(table.GetCell(1, row)));
    c.Y1 = Parse(table.GetCell(2, row));
    c.X2 = RoundEven(Parse(table.GetCell(3, row)));
    c.Y2 = Parse(table.GetCell(4, row));
    if (c.CommandType == vgText) c.Text = table.GetCell(4, row).left(255);
    deepest = std::max({deepest, c.Y1, c.Y2});
  }
  FCommands = std::move(commands);
  SetHeight(DepthToPage(deepest) - FTop);
}

void TPrintVectorGraphic::DumpProperties(QJsonObject* json) const {
  TDataObject::DumpProperties(json);
  if (!json) return;
  QJsonArray commands;
  for (const TVGCommandEx& c : FCommands) {
    QJsonObject o;
    o[QStringLiteral("command")] = VGCommandName(c.CommandType);
    o[QStringLiteral("type")] = c.CommandType;
    o[QStringLiteral("x1")] = c.X1;
    o[QStringLiteral("y1")] = c.Y1;
    o[QStringLiteral("x2")] = c.X2;
    o[QStringLiteral("y2")] = c.Y2;
    if (!c.Text.isEmpty()) o[QStringLiteral("text")] = c.Text;
    commands.append(o);
  }
  (*json)[QStringLiteral("commands")] = commands;
}
