// Owner-drawn sign lists: a sign's icon, and one row of a sign list (icon and name).
#include <QPainter>
#include <QString>

#include "strat.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uRect.h"

namespace {
QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

QString TextOf(const TShortString& name) { return QString::fromStdString(Cp1251ToUtf8(ShortStringView(name))); }

constexpr int kLineFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
}  // namespace

KERNO_EXPORT bool stratDrawIcon(QPainter* dc, const TRect& rect, IStratSign* sign, bool transparent) {
  if (!sign || !dc) return false;
  const QRect target = ToQRect(rect);
  if (!transparent) dc->fillRect(target, dc->brush());
  if (TEmfDocument* picture = sign->GetMetafile()) PlayEmf(dc, *picture, QRectF(target));
  return true;
}

KERNO_EXPORT HRESULT stratDrawListItem(QPainter* dc, IStratDataBase* database, const TRect& rect,
                                       const TShortString& name, bool transparent) {
  if (!database || !dc) return E_INVALIDARG;
  if (!transparent) dc->fillRect(ToQRect(rect), dc->brush());
  if (name.Length == 0) return S_OK;
  dc->setBackgroundMode(Qt::TransparentMode);
  TComPtr<IStratSign> sign;
  if (database->FindByName(name, sign.Put()) != S_OK || !sign) {
    // An unknown name is shown in red, so the user sees what is missing.
    const QPen previous = dc->pen();
    dc->setPen(QColor(255, 0, 0));
    const TRect inner{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
    dc->drawText(ToQRect(inner), kLineFlags, TextOf(name));
    dc->setPen(previous);
    return S_OK;
  }
  HRESULT result = S_OK;
  const TRect square{rect.Left, rect.Top, rect.Left + (rect.Bottom - rect.Top), rect.Bottom};
  if (!stratDrawIcon(dc, square, sign.Get(), false)) result = E_UNEXPECTED;
  const TRect label{square.Right + 2, rect.Top, rect.Right - 1, rect.Bottom};
  dc->drawText(ToQRect(label), kLineFlags, TextOf(name));
  return result;
}
