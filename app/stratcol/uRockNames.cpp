#include "uRockNames.h"

#include "strat.h"
#include "uComPtr.h"
#include "uStratColEntry.h"

TRockNames::TRockNames(IStratDataBase* database) {
  if (!database) return;
  const int32_t count = database->SignCount();
  for (int32_t i = 0; i < count; ++i) {
    TComPtr<IStratSign> sign;
    if (database->GetSign(i, sign.Put()) != S_OK || !sign) continue;
    TShortString bytes{};
    sign->GetName(&bytes);
    const QString code = SignNameText(bytes).trimmed();
    if (code.isEmpty()) continue;
    FCodes.insert(code.toCaseFolded());
    const auto captions = sign.As<IStratSignCaptions>(IID_IStratSignCaptions);
    if (!captions) continue;
    for (int32_t c = 0; c < captions->CaptionCount(); ++c) {
      TShortString language{};
      captions->GetCaptionLanguage(c, &language);
      TShortString caption{};
      captions->GetCaption(ShortStringText(language).c_str(), &caption);
      const QString key = Key(SignNameText(caption));
      if (key.isEmpty()) continue;
      const auto found = FCodeByName.constFind(key);
      // A name two signs share names neither.
      if (found == FCodeByName.constEnd())
        FCodeByName.insert(key, code);
      else if (found.value() != code)
        FCodeByName[key].clear();
    }
  }
}

QString TRockNames::CodeFor(const QString& name) const {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty() || HasCode(trimmed)) return name;
  const QString code = FCodeByName.value(Key(trimmed));
  return code.isEmpty() ? name : code;
}

QString TRockNames::Key(const QString& name) {
  // "Sandstone, fine-grained", "sandstone fine grained" and "SANDSTONE  FINE-GRAINED" are one name.
  QString key = name.toCaseFolded();
  for (QChar& ch : key)
    if (!ch.isLetterOrNumber()) ch = QLatin1Char(' ');
  key.replace(QChar(0x0451), QChar(0x0435));  // ё is often written е
  return key.simplified();
}
