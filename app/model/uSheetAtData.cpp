#include "uSheetAtData.h"

#include <cmath>
#include <limits>

#include "uLanguage.h"
#include "uNumbers.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uUiServices.h"

TBodyDataTops BodyDataTops(const TPrintDocument& document) {
  TBodyDataTops tops;
  for (int i = 0; i < document.Count(); ++i)
    if (const auto* body = dynamic_cast<const TPassportBody*>(document.GetChild(i)))
      tops.emplace_back(body, body->DataTopDepth());
  return tops;
}

bool OfferSheetsAtData(TPrintDocument* document, const TBodyDataTops& before) {
  if (!document) return false;
  bool moved = false;
  for (const auto& [known, top] : before) {
    // Only bodies still in the document: the edit may have removed one.
    TPassportBody* body = nullptr;
    for (int i = 0; i < document->Count() && !body; ++i)
      if (document->GetChild(i) == known) body = dynamic_cast<TPassportBody*>(document->GetChild(i));
    if (!body) continue;
    const double data = body->DataBelowPlan(top);
    if (!std::isfinite(data)) continue;
    const double length = body->IntervalLength();
    const QString question = SubstituteArgs(
        TranslateGeneral(QStringLiteral("DataBelowSheet"),
                         QStringLiteral("The data of \"%s\" begin at %s m, below the sheet's interval %s – %s m: "
                                        "the pages down to them would stay empty. Start the sheet at %s m? "
                                        "Everything keeps its depth.")),
        {body->Caption(), DepthText(data), DepthText(body->GetStartDepth()), DepthText(body->GetStartDepth() + length),
         DepthText(data)});
    if (Ui().Message(TMsgKind::Question,
                     TranslateGeneral(QStringLiteral("DepthInterval"), QStringLiteral("Depth interval")), question,
                     mbYes | mbNo) != TMsgResult::Yes)
      continue;
    if (!body->StartDepthRefusal(data).isEmpty() || !body->SetDepthInterval(data, data + length)) continue;
    body->Invalidate(body);
    moved = true;
  }
  return moved;
}

bool OfferSheetAtStatedInterval(TPrintHeader* head) {
  auto* document = head ? dynamic_cast<TPrintDocument*>(head->Parent()) : nullptr;
  TPassportBody* body = document ? document->MainBody() : nullptr;
  if (!body) return false;
  const auto [topText, bottomText] = head->StatedInterval();
  const double none = std::numeric_limits<double>::quiet_NaN();
  const double top = ReadNumber(topText.toStdString(), none);
  const double length = body->IntervalLength();
  const double bottom = bottomText.isEmpty() ? top + length : ReadNumber(bottomText.toStdString(), none);
  // Texts that are no interval ("see act 12") are the user's to write.
  if (!std::isfinite(top) || !std::isfinite(bottom) || !(bottom > top) || bottom - top > kMaxIntervalLength)
    return false;
  const double start = body->GetStartDepth();
  // A thousandth of a millimetre of the sheet: what rounding may leave.
  const double tolerance = body->GetVertScale() * 1e-6;
  if (std::abs(top - start) <= tolerance && std::abs(bottom - (start + length)) <= tolerance) return false;
  const QString title = TranslateGeneral(QStringLiteral("DepthInterval"), QStringLiteral("Depth interval"));
  if (const QString why = body->StartDepthRefusal(top); !why.isEmpty()) {
    Ui().Message(TMsgKind::Information, title,
                 SubstituteArgs(TranslateGeneral(QStringLiteral("SheetKeepsInterval"),
                                                 QStringLiteral("The sheet \"%s\" keeps its interval %s – %s m: %s.")),
                                {body->Caption(), DepthText(start), DepthText(start + length), why}),
                 mbOK);
    return false;
  }
  const QString question = SubstituteArgs(
      TranslateGeneral(QStringLiteral("HeadStatesInterval"),
                       QStringLiteral("The head states the interval %s – %s m; the sheet \"%s\" shows %s – %s m. "
                                      "Show %s – %s m on the sheet? Everything keeps its depth.")),
      {DepthText(top), DepthText(bottom), body->Caption(), DepthText(start), DepthText(start + length), DepthText(top),
       DepthText(bottom)});
  if (Ui().Message(TMsgKind::Question, title, question, mbYes | mbNo) != TMsgResult::Yes) return false;
  if (!body->SetDepthInterval(top, bottom)) return false;
  body->Invalidate(body);
  return true;
}
