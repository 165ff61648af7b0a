// Rock names of a sign database read as its sign codes. Layer tables kept by
// hand name the rocks ("Sandstone", "Песчаник", "sandstone, fine-grained");
// a lithology column stores the codes of its database's signs.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>

struct IStratDataBase;

class TRockNames {
 public:
  explicit TRockNames(IStratDataBase* database);

  // The sign code `name` stands for: `name` itself when the database has a
  // sign of that code; the code of the one sign with that name in any of
  // its languages (case, punctuation and spacing aside); else `name` as it is.
  QString CodeFor(const QString& name) const;
  // Whether the database has a sign of code `name` (without regard to case).
  bool HasCode(const QString& name) const { return FCodes.contains(name.trimmed().toCaseFolded()); }

 private:
  static QString Key(const QString& name);

  QSet<QString> FCodes;  // case-folded, as the database finds its names
  // Case-folded rock name -> code; empty for a name two signs share.
  QHash<QString, QString> FCodeByName;
};
