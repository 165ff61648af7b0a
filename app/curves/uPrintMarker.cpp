#include "uPrintMarker.h"

#include <QJsonObject>
#include <QPainter>

#include "qsID.h"
#include "uFontEx.h"
#include "uPropertiesDialogs.h"

namespace {

constexpr int32_t idMarkerColor = 17;
constexpr int32_t idShape = 8960;

}  // namespace

TPrintMarker::TPrintMarker() {
  FFlags = pfMoveX | pfMoveY | pfHitBody;
  FBorder = false;
}

void TPrintMarker::Draw(TDrawContext& context) {
  QPainter* dc = context.DC;
  if (GetWidth() <= 0 || GetHeight() <= 0 || !dc) return;
  const TRect r = GetPixelRect(context);
  const QPen old = dc->pen();
  dc->setPen(CosmeticPen(ColorRefToQColor(FMarkerColor), psSolid, 2));
  const int midX = (r.Left + r.Right) / 2;
  const int midY = (r.Top + r.Bottom) / 2;
  switch (FShape) {
    case msEllipse:
      dc->drawEllipse(ToQRect(r));
      break;
    case msRectangle:
      dc->drawRect(ToQRect(r));
      break;
    case msHorzBar:
      dc->drawLine(r.Left, midY, r.Right, midY);
      break;
    case msVertBar:
      dc->drawLine(midX, r.Top, midX, r.Bottom);
      break;
    default:
      dc->drawLine(r.Left, r.Top, r.Right, r.Bottom);
      dc->drawLine(r.Left, r.Bottom, r.Right, r.Top);
      break;
  }
  dc->setPen(old);
}

bool TPrintMarker::ClickAt(int, double, double) {
  FShape = FShape >= msCross && FShape < kMarkerShapeCount - 1 ? FShape + 1 : msCross;
  SetModified(true);
  Invalidate(nullptr);
  return true;
}

bool TPrintMarker::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintMarker"), this)) return false;
  SetModified(true);
  Invalidate(nullptr);
  return true;
}

bool TPrintMarker::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  FMarkerColor = static_cast<uint32_t>(qsReadInteger(stream, idMarkerColor, static_cast<int32_t>(FMarkerColor)));
  FShape = qsReadInteger(stream, idShape, FShape);
  return true;
}

bool TPrintMarker::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  qsWriteInteger(stream, idMarkerColor, static_cast<int32_t>(FMarkerColor));
  qsWriteInteger(stream, idShape, FShape);
  return true;
}

void TPrintMarker::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("shape")] = FShape;
  (*json)[QStringLiteral("markerColor")] = static_cast<qint64>(FMarkerColor);
}
