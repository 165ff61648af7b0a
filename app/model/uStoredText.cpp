#include "uStoredText.h"

#include "qsID.h"
#include "uCodePage.h"

namespace {
constexpr size_t kShortLimit = 255;
}  // namespace

QString Cp1251Text(std::string_view bytes) {
  if (bytes.empty()) return {};
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  Cp1251ToUtf16(bytes, reinterpret_cast<char16_t*>(text.data()));
  return text;
}

QString qsReadText(ICompoundStream* s, int32_t id) {
  std::string_view bytes;
  qsViewString(s, id, &bytes);
  return Cp1251Text(bytes.substr(0, kShortLimit));
}

QString qsReadFullText(ICompoundStream* s, int32_t shortId, int32_t longId) {
  std::string_view bytes;
  if (qsViewString(s, longId, &bytes) && !bytes.empty()) return Cp1251Text(bytes);
  qsViewString(s, shortId, &bytes);
  return Cp1251Text(bytes.substr(0, kShortLimit));
}
