// The status line (kind 278): a narrow strip inside a depth table marking
// each row's interval by conditions on the row. Rows meeting the fill
// condition are drawn alternately filled (black) and empty, rows meeting the
// point condition as a dotted line; the alternation restarts after a dotted row.
#pragma once

#include <QString>
#include <vector>

#include "uPrintDeepObject.h"

class TStringTable;

enum TIntervalState : int { isEmpty = 0, isFilled = 1, isDotted = 2 };

struct TIntervalEx {
  double Top = 0;
  double Bottom = 0;
  int State = isEmpty;
  bool Contains(double depth) const { return Top <= depth && depth <= Bottom; }
};

class TStatusDDLine : public TPrintDeepObject {
 public:
  static constexpr double kNewWidth = 1;  // mm

  TStatusDDLine();

  // "KEY=VALUE": KEY a cell reference of `table` ("C1RNS1": column 1, the
  // row's own number for the first N, character 1), compared with VALUE
  // without regard to case. Anything that does not split into two parts at
  // "=" never matches.
  static bool ConditionMatches(const QString& condition, const TStringTable& table, int row);
  // The intervals of the table's rows (those without one are skipped).
  void RebuildIntervals(const TStringTable& table);

  int GetKind() const override { return kindStatusDDLine; }
  void GetCaption(QString* text) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void DumpProperties(QJsonObject* json) const override;

  QString FillCondition;
  QString PointCondition;
  double PointInterval = 2;  // mm between dots
  const std::vector<TIntervalEx>& StatusIntervals() const { return FIntervals; }

 private:
  std::vector<TIntervalEx> FIntervals;
};
