// The head files shipped in resources/hdr: a standard well log sheet, a
// lithology log, a curve log and a remarks head to close a sheet, and the
// column titles of the three templates, each in English and in Russian. Every head
// is a grid of framed texts 190 mm wide (the content width of an A4 page)
// whose values are parameters (%WELL%, %FIELD%, ...), the same names in both
// languages so that values carry over from one head to the other.
#pragma once

#include <QString>
#include <memory>
#include <vector>

class TPrintHeader;

struct THeadSheet {
  QString FileName;  // "well_log.hdr"
  std::unique_ptr<TPrintHeader> (*Make)();
  // The head of a log sheet, with the well's parameters (well, field, area,
  // interval, scale, ...); false for the remarks head.
  bool LogSheet = true;
  // Titles of a template's columns, between its head and its body: no parameters.
  bool ColumnTitles = false;
};

// Every shipped head, in the order of the files.
const std::vector<THeadSheet>& HeadSheets();
// Writes every head file into `folder`; false (and `error`) at the first failure.
bool WriteHeadSheets(const QString& folder, QString* error);
