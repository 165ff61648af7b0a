#include "uSample.h"

#include "uIniFile.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"

namespace {

// A made-up well of a made-up field; the parameters the heads name.
constexpr struct {
  const char* Name;
  const char* Value;
} kValues[] = {
    {"COMPANY", "Ozerneft LLC"},
    {"WELL", "412-R"},
    {"FIELD", "Ozernoye"},
    {"AREA", "Severo-Ozernaya"},
    {"OPERATOR", "Ozerneft LLC"},
    {"GEOLOGIST", "I. P. Sokolova"},
    {"SPUD_DATE", "14.03.2023"},
    {"COMPLETION_DATE", "02.05.2023"},
    {"LOG_DATE", "28.04.2023"},
    {"ELEVATION", "142.6"},
    {"TOTAL_DEPTH", "1620"},
    {"COORD_X", "6 712 345.2"},
    {"COORD_Y", "15 487 220.8"},
    {"COORD_SYSTEM", "Pulkovo 1942, zone 15"},
    {"SCALE", "200"},
    {"REMARKS", "Cored 1488-1512 m, recovery 86 %"},
    {"CONCLUSIONS",
     "Oil-saturated sandstones at 1492.5-1507.0 m (porosity 18-21 %) are recommended for testing. "
     "The interval 1520-1534 m is water-bearing."},
    {"CHECKED_BY", "V. N. Orlov"},
    {"REPORT_DATE", "15.05.2023"},
};

// The body shows the logged interval: 90 m, so that at 1:200 the sheet with
// its closing head fills two A4 pages.
constexpr double kTopDepth = 1450;
constexpr double kBottomDepth = 1540;

// Gives the head's parameters the well's values (names it does not use are left out).
void FillValues(TPrintHeader* head) {
  TNamedValueList& values = head->Parameters();
  for (const auto& v : kValues) {
    const QString name = QString::fromUtf8(v.Name);
    if (values.Contains(name)) values.SetValue(name, QString::fromUtf8(v.Value));
  }
  if (values.Contains(QStringLiteral("TOP_DEPTH")))
    values.SetValue(QStringLiteral("TOP_DEPTH"), QString::number(kTopDepth));
  if (values.Contains(QStringLiteral("BOTTOM_DEPTH")))
    values.SetValue(QStringLiteral("BOTTOM_DEPTH"), QString::number(kBottomDepth));
  head->SubstituteParameters();
}

}  // namespace

std::unique_ptr<TPrintDocument> MakeSampleDocument(QString* error) {
  const QString path = TemplateDir() + QString::fromLatin1(kSampleTemplate);
  auto document = std::make_unique<TPrintDocument>();
  if (!document->LoadFromFile(path, error)) return nullptr;
  auto* head = dynamic_cast<TPrintHeader*>(document->GetChild(0));
  auto* body = dynamic_cast<TPassportBody*>(document->GetChild(1));
  if (!head || head->Count() == 0 || !body) {
    if (error) *error = QStringLiteral("%1: no head file or no body").arg(path);
    return nullptr;
  }
  // The template's closing head, as "Add block" adds it.
  auto remarks = std::make_unique<TPrintHeader>();
  TIniFile ini(path);
  remarks->LoadFromIni(&ini, QStringLiteral("Remarks"), QString());
  if (remarks->Count() == 0) {
    if (error) *error = QStringLiteral("%1: the remarks head is missing").arg(path);
    return nullptr;
  }
  TPrintHeader* closing = remarks.get();
  document->AddChild(std::move(remarks));
  FillValues(head);
  FillValues(closing);
  body->SetStartDepth(kTopDepth);
  body->SetHeight((kBottomDepth - kTopDepth) * 1000 / body->GetVertScale());
  body->Changed();
  return document;
}
