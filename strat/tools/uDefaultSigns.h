// The signs of the shipped default database: each a rock code, its names in
// English and Russian and the drawing of its seamless 10 mm tile.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "strat.h"
#include "uComPtr.h"
#include "uEmfDocument.h"
#include "uSignTile.h"

struct TSignRecipe {
  const char* Code;
  const char* English;  // UTF-8
  const char* Russian;  // UTF-8
  std::function<void(signtile::TTile&)> Draw;
};

const std::vector<TSignRecipe>& DefaultSignRecipes();

// The recipe's tile as an enhanced metafile; nullptr when it cannot be recorded.
std::unique_ptr<TEmfDocument> DrawSignTile(const TSignRecipe& recipe);

// Every recipe as a sign (a tile repeated edge to edge, cut at the layer's
// borders) with its captions "en" and "ru"; empty with `error` set on failure.
TComPtr<IStratDataBase> BuildDefaultDataBase(QString* error);

// Every sign of `database` as a field of 40 mm x 20 mm with its code and
// English caption beneath: a sheet to look the patterns over.
QImage RenderSignSheet(IStratDataBase* database, int dpi);

// The code list written beside the database: "code<TAB>English<TAB>Russian" per line, UTF-8.
QByteArray DefaultCodeList();
