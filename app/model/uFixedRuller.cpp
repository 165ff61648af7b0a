#include "uFixedRuller.h"

#include <QFontMetrics>
#include <QJsonObject>
#include <QPainter>
#include <cmath>

#include "qsID.h"
#include "uFontEx.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDocument.h"
#include "uUiServices.h"

namespace {
constexpr int32_t idColor = 17;
constexpr int32_t idOrientation = 6145;
constexpr double kStrip = 2;  // mm; the line runs along its middle
}  // namespace

void TFixedRuller::SetOrientation(int value) {
  if (value != FOrientation) {
    FOrientation = value;
    SetModified(true);
  }
  // The guide moves across its line only. Only here, not at every fitting: a
  // locked guide stays locked.
  if (IsVertical())
    FFlags = (FFlags | pfMoveX) & ~pfMoveY;
  else
    FFlags = (FFlags | pfMoveY) & ~pfMoveX;
  FitToParent();
}

void TFixedRuller::SetColor(uint32_t value) {
  if (value == FColor) return;
  FColor = value;
  SetModified(true);
}

void TFixedRuller::FitToParent() {
  const TPrintObject* p = FParent;
  if (!p) return;
  if (IsVertical()) {
    SetWidth(kStrip);
    SetTop(p->Top());
    SetHeight(p->GetHeight());
  } else {
    SetHeight(kStrip);
    SetLeft(p->Left());
    SetWidth(p->GetWidth());
  }
}

void TFixedRuller::Changed() {
  FitToParent();
  TPrintObject::Changed();
}

void TFixedRuller::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || !context.DC) return;
  // On screen only: printing draws borders alone.
  if (!context.Has(doFrames) && !context.Has(doSelection)) return;
  QPainter* dc = context.DC;
  const QColor color = ColorRefToQColor(FColor);
  const TRect r = GetPixelRect(context);
  dc->save();
  dc->setPen(FSelected ? CosmeticPen(color, psSolid, 2) : CosmeticPen(color, psDot, 1));
  if (IsVertical()) {
    const int x = (r.Left + r.Right) / 2;
    dc->drawLine(x, r.Top, x, r.Bottom);
  } else {
    const int y = (r.Top + r.Bottom) / 2;
    dc->drawLine(r.Left, y, r.Right, y);
    const auto* document = dynamic_cast<const TPrintDocument*>(FParent);
    const double depth = document ? document->DepthAt(FTop + GetHeight() / 2) : std::nan("");
    if (std::isfinite(depth)) {
      const QString text = QString::fromStdString(FormatSignificant(depth, 5)) + QStringLiteral(" m");
      const QFontMetrics metrics(dc->font(), dc->device());
      QRect box = metrics.boundingRect(text);
      box.moveCenter(QPoint((r.Left + r.Right) / 2, y));
      dc->setPen(color);
      dc->setBackground(QBrush(Qt::white));
      dc->setBackgroundMode(Qt::OpaqueMode);
      dc->drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
  }
  dc->restore();
}

void TFixedRuller::GetCaption(QString* text) {
  if (!text) return;
  const QString mm = TranslateGeneral(QStringLiteral("mm"), QStringLiteral("mm"));
  if (IsVertical())
    *text = TranslateGeneral(QStringLiteral("LineVert"), QStringLiteral("Vertical line")) + QLatin1Char(' ') +
            QString::fromStdString(FormatGeneral(FLeft + 1)) + mm;
  else
    *text = TranslateGeneral(QStringLiteral("LineHorz"), QStringLiteral("Horizontal line")) + QLatin1Char(' ') +
            QString::fromStdString(FormatGeneral(FTop + 1)) + mm;
}

void TFixedRuller::GetCommandCaption(QString* text) {
  if (!text) return;
  *text = IsLocked() ? TranslateGeneral(QStringLiteral("UnLock"), QStringLiteral("Unlock"))
                     : TranslateGeneral(QStringLiteral("Lock"), QStringLiteral("Lock"));
}

bool TFixedRuller::ExecuteCommand() {
  const bool unlock = IsLocked();
  FFlags &= ~(pfMoveX | pfMoveY);
  if (unlock) FFlags |= IsVertical() ? pfMoveX : pfMoveY;
  SetModified(true);  // the flags are stored
  return true;
}

bool TFixedRuller::EditProperties() {
  QColor chosen;
  if (!Ui().ChooseColor(ColorRefToQColor(FColor), &chosen)) return false;
  SetColor(QColorToColorRef(chosen));
  Invalidate(nullptr);
  SetModified(true);
  return true;
}

bool TFixedRuller::DeleteWithConfirm() {
  if (!FParent || !(FFlags & pfDeletable)) return false;
  return FParent->RemoveChild(this);
}

bool TFixedRuller::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  FOrientation = qsReadInteger(stream, idOrientation, roHorizontal);
  FColor = static_cast<uint32_t>(qsReadInteger(stream, idColor, static_cast<int32_t>(kDefaultColor)));
  return true;
}

bool TFixedRuller::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  if (!qsWriteInteger(stream, idOrientation, FOrientation)) return false;
  return qsWriteInteger(stream, idColor, static_cast<int32_t>(FColor));
}

void TFixedRuller::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("orientation")] = FOrientation;
  (*json)[QStringLiteral("color")] = ColorRefToQColor(FColor).name();
}
