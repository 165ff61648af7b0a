#include "uStratUpper.h"

#include <QString>
#include <array>

#include "uCodePage.h"

namespace {
// Built once from Unicode's case mapping: a byte changes only when its upper
// case is a single character that has a byte of its own (so "µ" stays "µ").
std::array<char, 256> BuildUpperTable() {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    table[b] = byte;
    const QString character = QString::fromStdString(Cp1251ToUtf8(std::string_view(&byte, 1)));
    const QString upper = character.toUpper();
    if (upper == character || upper.size() != 1) continue;
    const std::string back = Utf8ToCp1251(upper.toStdString());
    if (back.size() == 1 && back != "?") table[b] = back[0];
  }
  return table;
}

const std::array<char, 256>& UpperTable() {
  static const std::array<char, 256> table = BuildUpperTable();
  return table;
}
}  // namespace

std::string UpperCp1251(std::string_view text) {
  const auto& table = UpperTable();
  std::string result(text);
  for (char& c : result) c = table[static_cast<uint8_t>(c)];
  return result;
}

bool SameTextCp1251(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto& table = UpperTable();
  for (size_t i = 0; i < a.size(); ++i)
    if (table[static_cast<uint8_t>(a[i])] != table[static_cast<uint8_t>(b[i])]) return false;
  return true;
}
