// The depth scale: the column of a well document that carries depth marks
// and labels, drawn by an ordered list of rulers laid over each other.
#pragma once

#include "uPrintDeepObject.h"
#include "uRuller.h"

class TPreferences;

// Rulers a stored count may claim at most: a damaged count must not make a
// load create thousands of millions of them.
inline constexpr int kMaxRullers = 1024;

class TPrintDeepScale : public TPrintDeepObject {
 public:
  // One ruler with the ruler defaults, its Modulus fitted to the vertical
  // scale at creation (1000 / 200: a mark every 50 mm, every 10 m).
  TPrintDeepScale();

  int GetKind() const override { return kindDeepScale; }
  // Copies the base values and, from another depth scale, its rulers.
  void Assign(TPrintObject* source) override;
  // The font of the last ruler that has one; null when none has.
  void* GetFont() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // The rulers live beside "index" in streams "ruller0", "ruller1", ...
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  // Base values, then the rulers of keys prefix + "RULLER1", "RULLER2", ...
  // (up to the first missing or empty one) with their fonts.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void Draw(TDrawContext& context) override;
  // The rulers dialog; on OK the scale is marked modified and repainted.
  bool EditProperties() override;
  // Keeps the marks on their depths when the document's vertical scale
  // changes: every ruler's Modulus follows the scale (old / new).
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override;
  void DumpProperties(QJsonObject* json) const override;

  const TRullerList& Rullers() const { return FRullers; }
  TRullerList& Rullers() { return FRullers; }
  // Replaces the rulers by copies of `rulers` and marks the scale modified.
  void SetRullers(const TRullerList& rulers);

 private:
  TRullerList FRullers;
};

// Rulers of an INI section: keys prefix + "RULLER" + n from n = 1 up to the
// first missing or empty one, each with its font keys (…".FONT."). At most
// kMaxRullers are read.
TRullerList LoadRullersFromIni(const TIniFile* ini, const QString& section, const QString& prefix);
// Writes prefix + "RULLER" + n for every ruler (n from 1) and removes the
// entries of an earlier, longer list, so that a reader stops after the last.
bool SaveRullersToIni(TIniFile* ini, const QString& section, const QString& prefix, const TRullerList& rulers);

// Depth scale profiles (section per profile in "preferences.ini"): "BORDER"
// and the rulers. Loading gives false when the profile does not exist.
bool LoadDepthScaleProfile(const TPreferences& store, int index, bool* border, TRullerList* rulers);
// Finds or adds the profile `name` and writes it whole; false without a name
// or when the file cannot be written.
bool SaveDepthScaleProfile(TPreferences& store, const QString& name, bool border, const TRullerList& rulers);

// Registers kind 2 with the kind registry.
void RegisterDepthScaleKinds();
