// The readers behind OpenSheetFile, one per file kind.
#pragma once

#include "uSheetGrid.h"

std::unique_ptr<ISheetReader> OpenXlsx(const QString& fileName, QString* error);
std::unique_ptr<ISheetReader> OpenOds(const QString& fileName, QString* error);
std::unique_ptr<ISheetReader> OpenXls(const QString& fileName, QString* error);
std::unique_ptr<ISheetReader> OpenAccess(const QString& fileName, QString* error);
std::unique_ptr<ISheetReader> OpenSqlite(const QString& fileName, QString* error);

// "FFRRGGBB" or "RRGGBB" (xlsx) / "#rrggbb" (ods) to a COLORREF; 0 when unreadable.
uint32_t ColorRefFromHex(const QString& hex);
// "B12" -> row 11, column 1; false when not a cell reference.
bool ParseCellReference(const QString& ref, int* row, int* col);
