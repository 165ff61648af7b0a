// Named values: the parameters of a head ("WELL" = "12-bis"), an ordered list
// of names with text values, and the expansion of placeholders such as %WELL%
// in the texts that show them.
#pragma once

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "uComBase.h"

struct ICompoundStream;
struct IStream;

struct TNamedValue {
  QString Name;
  QString Value;
  bool operator==(const TNamedValue&) const = default;
};

class TNamedValueList {
 public:
  // The stored form keeps names under IDs 1000 + i and values under 2000 + i:
  // entry 1000 would write its name over the value of entry 0.
  static constexpr int kMaxCount = 1000;
  // Expansion stops growing a text beyond this many characters (a text of a
  // thousand placeholders each standing for a long value).
  static constexpr int kMaxExpandedLength = 1 << 20;

  QChar Delimiter = QLatin1Char('%');
  // What a placeholder whose name is not in the list expands to.
  QString DefaultValue;

  int Count() const { return static_cast<int>(FItems.size()); }
  const TNamedValue& At(int index) const { return FItems[static_cast<size_t>(index)]; }
  const std::vector<TNamedValue>& Items() const { return FItems; }
  // Exact (case-sensitive) match; -1 when absent.
  int IndexOf(const QString& name) const;
  bool Contains(const QString& name) const { return IndexOf(name) >= 0; }
  // The value of `name`, or DefaultValue when it is not in the list.
  QString ValueOf(const QString& name) const;
  // Replaces the value of an existing name in place, else appends the pair;
  // false (nothing changed) for a new name when the list is full.
  bool SetValue(const QString& name, const QString& value);
  void SetValueAt(int index, const QString& value);
  void Delete(int index);
  void Clear();
  // Names, delimiter and default value of another list.
  void Assign(const TNamedValueList& source);
  bool operator==(const TNamedValueList& other) const;

  // `text` with every placeholder replaced: a delimiter opens a name that runs
  // to the next delimiter; two delimiters in a row stand for one; a name still
  // open at the end is kept as written; a lone delimiter at the end is dropped.
  QString Expand(const QString& text) const;
  // The names of the placeholders in `text`, in order (repeats included).
  QStringList NamesIn(const QString& text) const;
  // Adds every placeholder name of `text` not yet in the list, with an empty
  // value. Returns how many were added.
  int AddNamesFrom(const QString& text);

  // Compound stream form. Loading adds the stored pairs to the list.
  bool LoadFromQS(ICompoundStream* stream);
  bool SaveToQS(ICompoundStream* stream) const;
  // The list as a whole serialised compound stream.
  bool LoadFromStream(IStream* stream);
  bool SaveToStream(IStream* stream) const;

  // Fills the list from a table file: the column import with the parameters
  // "name" and "value"; every row with a name gives one pair. S_OK,
  // R_CANCELLED or the failed import's result, whose reason goes to *error
  // for the command to show.
  HRESULT ImportWithDialog(QString* error = nullptr);
  // Opens the values editor on a copy; true when OK wrote the copy back.
  bool EditWithDialog();

 private:
  // Walks `text`, giving each literal run and each placeholder name in turn.
  void Scan(const QString& text, const std::function<void(QStringView)>& literal,
            const std::function<void(QStringView)>& name) const;
  void Reindex();

  std::vector<TNamedValue> FItems;
  QHash<QString, int> FIndex;
};

// The dialog layer installs the editor of named values (a grid of names and
// values); without one EditWithDialog changes nothing and reports false.
using TNamedValuesEditor = std::function<bool(TNamedValueList* values)>;
void SetNamedValuesEditor(TNamedValuesEditor editor);
