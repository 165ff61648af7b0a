// The program's preferences, kept in an INI file beside the program (or in
// $XDG_CONFIG_HOME/Kerno/ when the program folder is not writable). Every
// setter writes the file at once and every getter reads it, so a value changed
// by another window or another object is seen at once. The few values read at
// every screen render (quick mode, grid, snap, print line width) are kept
// until this object writes the file or the file's identity, size or time of
// change differs from when they were read.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "uIniFile.h"
#include "uProgramVersion.h"

// The folder of the running executable (or the one set for tests).
QString ProgramDir();
// Tests point the program folder elsewhere; an empty text restores the real one.
void SetProgramDir(const QString& dir);
// An installed copy marks its program folder with this file: the folder is
// then never written, even by a user (root) who could.
inline constexpr const char* kInstalledMarker = "installed";
// Whether the program's writable files live beside it: the program folder is
// a writable folder and not an installed copy.
bool ProgramDirWritable();

// What the program writes, and where each lives.
enum class TWritable {
  Settings,  // "Kerno.ini"
  Temp       // the temporary folder ("autosave.dat", auto-saved copies)
};
// Beside the program when ProgramDirWritable() (the temporary folder is
// "temp/" there), otherwise $XDG_CONFIG_HOME/Kerno/ for the files and
// $XDG_CACHE_HOME/Kerno/temp/ for the temporary folder. Folders end with
// "/"; nothing is created.
QString WritableLocation(TWritable what);
// The same rule for a file of another name: beside the program when its
// folder may be written (and the file, if it exists, too), otherwise in
// $XDG_CONFIG_HOME/Kerno/.
QString WritableProgramFile(const QString& name);

// One entry of the mouse wheel action list.
struct TWheelAction {
  const char* Key;
  const char* Text;
};
constexpr int kWheelActionCount = 6;
extern const TWheelAction kWheelActions[kWheelActionCount];

class TSettings {
 public:
  explicit TSettings(const QString& iniFileName);

  QString FileName() const { return FIni.FileName(); }

  // "COMMON"
  QString Language() const;
  void SetLanguage(const QString& value);
  // "VIEW": lithology sign lists
  bool LdbIcon() const;
  void SetLdbIcon(bool value);
  int LdbIconSize() const;
  void SetLdbIconSize(int value);
  bool LdbSort() const;
  void SetLdbSort(bool value);
  bool LdbMsgError() const;
  void SetLdbMsgError(bool value);
  // "NEWVERSION"
  bool ShowOldVersionMessage() const;
  void SetShowOldVersionMessage(bool value);
  int NewVersionInternal() const;
  void SetNewVersionInternal(int value);
  double NewVersion() const;  // 0 when none recorded
  void SetNewVersion(double value);
  QString NewVersionString() const;
  void SetNewVersionString(const QString& value);
  QString NewVersionDate() const;
  void SetNewVersionDate(const QString& value);
  // "SCREEN"
  bool QuickMode() const;
  void SetQuickMode(bool value);
  QString SnapText() const;  // as stored, "0.5" when missing
  double Snap() const;       // the tolerant reading of SnapText(), 0.5 when unreadable
  void SetSnap(double value);
  void SetSnapText(const QString& value);
  bool Grid() const;
  void SetGrid(bool value);
  // "EXPORT"
  double EmfScaleX() const;
  void SetEmfScaleX(double value);
  double EmfScaleY() const;
  void SetEmfScaleY(double value);
  // "HELP"
  int Tip() const;
  void SetTip(int value);
  bool TipStartUp() const;
  void SetTipStartUp(bool value);
  // "RECENT": the documents opened or saved last, the newest first, at most
  // kMaxRecentFiles ("File1", "File2", ...; empty and repeated entries skipped).
  static constexpr int kMaxRecentFiles = 8;
  QStringList RecentFiles() const;
  void SetRecentFiles(const QStringList& files);
  // Puts `path` first (once), dropping the oldest beyond the limit.
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);
  // "MOUSE": indexes into kWheelActions (a stored index outside it gives the default)
  int Wheel() const;
  void SetWheel(int value);
  int WheelCtrl() const;
  void SetWheelCtrl(int value);
  int WheelShift() const;
  void SetWheelShift(int value);
  // "IMPORT"
  bool EmptyBlocks() const;
  void SetEmptyBlocks(bool value);
  // "AUTOSAVE"
  bool AutoSave() const;
  void SetAutoSave(bool value);
  int AutoSaveInterval() const;  // minutes, at least 1 (a zero interval would save without pause)
  void SetAutoSaveInterval(int value);
  // "PRINT"
  int PageOverlay() const;
  void SetPageOverlay(int value);
  double PrintLineWidth() const;
  void SetPrintLineWidth(double value);
  int PrintShiftX() const;
  void SetPrintShiftX(int value);
  int PrintShiftY() const;
  void SetPrintShiftY(int value);
  // "UNDO": 0..10, clamped on write (and on read, for hand-edited files)
  int MaxSteps() const;
  void SetMaxSteps(int value);

  // `x` rounded to the nearest multiple of Snap(), ties to even; `x` itself when
  // the step is not greater than 0.
  double SnapValue(double x) const;
  // The same for a step read once (a point's two coordinates).
  static double SnapTo(double x, double step);

  // A newer build seen in an opened file is remembered unless one at least as
  // high is already recorded; builds not newer than this program are ignored.
  void RecordNewerBuild(int internal, double version, const QString& versionString, const QString& date);
  // The start-up reminder ("OldVersion" with the recorded version text and
  // date) when it is switched on and a newer build is recorded; empty otherwise.
  QString OldVersionMessage() const;
  // The same text regardless of the switch (for the About box); empty when no newer build.
  QString NewerBuildText() const;

  // WritableLocation(TWritable::Temp), created on demand: the program
  // folder's "temp/", or $XDG_CACHE_HOME/Kerno/temp/ for an installed or
  // read-only program folder. Always ends with "/".
  QString TempDirectory() const;

  // Free-form values for other parts that keep their preferences here.
  QString ReadText(const QString& section, const QString& key, const QString& def = {}) const;
  void WriteText(const QString& section, const QString& key, const QString& value);

 private:
  // The values a render reads, with the file state they were read from.
  struct TRenderValues {
    uint64_t Device = 0, Inode = 0;
    int64_t Size = -1, ChangedNs = 0;
    bool QuickMode = false;
    bool Grid = false;
    QString SnapText;
    double PrintLineWidth = 0;
  };
  const TRenderValues& RenderValues() const;
  void ForgetRenderValues() { FRenderValues.reset(); }

  TIniFile FIni;
  mutable std::optional<TRenderValues> FRenderValues;
};

constexpr int kKindImageCount = 22;
// The file of kind image `index` ("icons/kinds/kindNN.svg" in the program
// folder); KindIcon (uKinds.h) gives a kind's image.
QString KindImagePath(int index);

// The program's settings, created on first use from WritableLocation(TWritable::Settings).
TSettings& Settings();
// Tests install their own settings (not owned); nullptr restores the program's.
void SetSettings(TSettings* settings);
