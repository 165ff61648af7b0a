// Pictures of a database's signs for grid cells: each sign's icon drawn once
// by the sign library (its picture stretched over a white square, as sign
// lists show it) and kept by name until the database changes.
#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

#include "strat.h"

// The icon of the sign `name` of `database`, `size` pixels square; a null
// pixmap for an empty name, a name the database lacks or a size below 1.
QPixmap SignPixmap(IStratDataBase* database, const QString& name, int size);

class TSignPixmapCache {
 public:
  TSignPixmapCache(IStratDataBase* database, int size) : FDataBase(database), FSize(size) {}
  int Size() const { return FSize; }
  // SignPixmap, drawn on the first call for a name.
  QPixmap Pixmap(const QString& name);
  // Forgets every picture (the database's signs have changed).
  void Clear() { FPixmaps.clear(); }

 private:
  IStratDataBase* FDataBase;
  int FSize;
  QHash<QString, QPixmap> FPixmaps;
};
