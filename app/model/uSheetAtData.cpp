#include "uSheetAtData.h"

#include <cmath>

#include "uLanguage.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
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
