#include "uPrintObjectRuller.h"

#include <QJsonObject>

#include "qsID.h"
#include "uPropertiesDialogs.h"

namespace {

constexpr int32_t idColor = 5632;
constexpr int32_t idStyle = 5633;
constexpr int32_t idWidth = 5634;

}  // namespace

TPrintObjectRuller::TPrintObjectRuller() { FFlags = pfMoveY | pfHitBody | pfDeletable; }

void TPrintObjectRuller::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.DC) return;
  const bool selected = FSelected && context.Has(doSelection);
  if (!context.Has(doFrames) && !context.Has(doBorders) && !context.Has(doSelection)) return;
  TBoundaryLine line = FLineStyle;
  // A selected line shows twice as wide; one without width shows 2 mm wide.
  if (selected) line.LineWidth = line.LineWidth == 0 ? 2 : 2 * line.LineWidth;
  const TRect r = GetPixelRect(context);
  DrawBoundaryLine(context.DC, r.Left, r.Right, line, context.Zoom, (r.Top + r.Bottom) / 2);
}

bool TPrintObjectRuller::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintObjectRuller"), this)) return false;
  SetModified(true);
  if (FParent) FParent->Invalidate(FParent);
  return true;
}

bool TPrintObjectRuller::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  FLineStyle.Style = qsReadInteger(stream, idStyle, 1);
  FLineStyle.Color = qsReadInteger(stream, idColor, 0);
  FLineStyle.LineWidth = qsReadDouble(stream, idWidth, 0.2);
  return true;
}

bool TPrintObjectRuller::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  return qsWriteInteger(stream, idStyle, FLineStyle.Style) && qsWriteInteger(stream, idColor, FLineStyle.Color) &&
         qsWriteDouble(stream, idWidth, FLineStyle.LineWidth);
}

void TPrintObjectRuller::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  QJsonObject line;
  line[QStringLiteral("style")] = FLineStyle.Style;
  line[QStringLiteral("color")] = static_cast<qint64>(FLineStyle.Color);
  line[QStringLiteral("width")] = FLineStyle.LineWidth;
  (*json)[QStringLiteral("lineStyle")] = line;
}
