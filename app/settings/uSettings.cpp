#include "uSettings.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <memory>

#include "uLanguage.h"
#include "uNumbers.h"

namespace {

QString& ProgramDirOverride() {
  static QString dir;
  return dir;
}

TSettings* gInstalled = nullptr;

bool FolderWritable(const QString& dir) {
  const QFileInfo info(dir);
  return info.isDir() && info.isWritable();
}

const QString kCommon = QStringLiteral("COMMON");
const QString kView = QStringLiteral("VIEW");
const QString kNewVersion = QStringLiteral("NEWVERSION");
const QString kScreen = QStringLiteral("SCREEN");
const QString kExport = QStringLiteral("EXPORT");
const QString kHelp = QStringLiteral("HELP");
const QString kMouse = QStringLiteral("MOUSE");
const QString kImport = QStringLiteral("IMPORT");
const QString kAutoSave = QStringLiteral("AUTOSAVE");
const QString kPrint = QStringLiteral("PRINT");
const QString kUndo = QStringLiteral("UNDO");

int WheelIndex(int value, int def) { return value >= 0 && value < kWheelActionCount ? value : def; }

// Integers the print section keeps as text: the tolerant number reader, rounded.
int TextInteger(const QString& text, int def) {
  const QByteArray v = text.toUtf8();
  const double d = ReadNumber(std::string_view(v.constData(), static_cast<size_t>(v.size())), def);
  if (!std::isfinite(d) || d > INT32_MAX || d < INT32_MIN) return def;
  return RoundEven(d);
}

double TextNumber(const QString& text, double def) {
  const QByteArray v = text.toUtf8();
  const double d = ReadNumber(std::string_view(v.constData(), static_cast<size_t>(v.size())), def);
  return std::isfinite(d) ? d : def;
}

}  // namespace

const TWheelAction kWheelActions[kWheelActionCount] = {
    {"None", "(None)"},
    {"ScrollHorz", "Horizontal scrolling"},
    {"ScrollHorz2", "Horizontal scrolling 2"},
    {"ScrollVert", "Vertical scrolling"},
    {"ScrollScale", "Scaling"},
    {"ScrollScale2", "Back scaling"},
};

QString ProgramDir() {
  const QString& over = ProgramDirOverride();
  if (!over.isEmpty()) return over;
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  return exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
}

void SetProgramDir(const QString& dir) { ProgramDirOverride() = dir; }

bool ProgramDirWritable() {
  const QString dir = ProgramDir();
  return FolderWritable(dir) && !QFileInfo::exists(dir + u'/' + QLatin1String(kInstalledMarker));
}

namespace {

QString ConfigFolder() {
  QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/Kerno/");
}

QString CacheTempFolder() {
  QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
  return cache + QStringLiteral("/Kerno/temp/");
}

}  // namespace

QString WritableProgramFile(const QString& name) {
  const QFileInfo beside(ProgramDir() + u'/' + name);
  if (ProgramDirWritable() && (!beside.exists() || beside.isWritable())) return beside.filePath();
  return ConfigFolder() + name;
}

QString WritableLocation(TWritable what) {
  switch (what) {
    case TWritable::Settings:
      return WritableProgramFile(QStringLiteral("Kerno.ini"));
    case TWritable::Temp:
      break;
  }
  const QString beside = ProgramDir() + QStringLiteral("/temp/");
  const QFileInfo info(beside);
  if (ProgramDirWritable() && (!info.exists() || (info.isDir() && info.isWritable()))) return beside;
  return CacheTempFolder();
}

TSettings::TSettings(const QString& iniFileName) : FIni(iniFileName) {}

const TSettings::TRenderValues& TSettings::RenderValues() const {
  // One stat instead of reading and comparing the whole file at every render.
  TRenderValues now;
  struct stat info {};
  const QByteArray path = FIni.FileName().toLocal8Bit();
  if (::stat(path.constData(), &info) == 0) {
    now.Device = static_cast<uint64_t>(info.st_dev);
    now.Inode = static_cast<uint64_t>(info.st_ino);
    now.Size = static_cast<int64_t>(info.st_size);
    now.ChangedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  }
  if (FRenderValues && FRenderValues->Device == now.Device && FRenderValues->Inode == now.Inode &&
      FRenderValues->Size == now.Size && FRenderValues->ChangedNs == now.ChangedNs)
    return *FRenderValues;
  now.QuickMode = FIni.ReadBool(kScreen, QStringLiteral("QuickMode"), false);
  now.Grid = FIni.ReadBool(kScreen, QStringLiteral("Grid"), false);
  now.SnapText = FIni.ReadString(kScreen, QStringLiteral("Snap"), QStringLiteral("0.5"));
  now.PrintLineWidth = TextNumber(FIni.ReadString(kPrint, QStringLiteral("LINEWIDTH"), QStringLiteral("0")), 0.0);
  FRenderValues = std::move(now);
  return *FRenderValues;
}

QString TSettings::Language() const {
  const QString v = FIni.ReadString(kCommon, QStringLiteral("Language"), QStringLiteral("russian")).trimmed();
  return v.isEmpty() ? QStringLiteral("russian") : v;
}
void TSettings::SetLanguage(const QString& value) { FIni.WriteString(kCommon, QStringLiteral("Language"), value); }

bool TSettings::LdbIcon() const { return FIni.ReadBool(kView, QStringLiteral("LDB.ICON"), true); }
void TSettings::SetLdbIcon(bool value) { FIni.WriteBool(kView, QStringLiteral("LDB.ICON"), value); }
int TSettings::LdbIconSize() const { return FIni.ReadInteger(kView, QStringLiteral("LDB.ICON.SIZE"), 25); }
void TSettings::SetLdbIconSize(int value) { FIni.WriteInteger(kView, QStringLiteral("LDB.ICON.SIZE"), value); }
bool TSettings::LdbSort() const { return FIni.ReadBool(kView, QStringLiteral("LDB.SORT"), true); }
void TSettings::SetLdbSort(bool value) { FIni.WriteBool(kView, QStringLiteral("LDB.SORT"), value); }
bool TSettings::LdbMsgError() const { return FIni.ReadBool(kView, QStringLiteral("LDB.MSG.ERROR"), true); }
void TSettings::SetLdbMsgError(bool value) { FIni.WriteBool(kView, QStringLiteral("LDB.MSG.ERROR"), value); }

bool TSettings::ShowOldVersionMessage() const {
  return FIni.ReadBool(kNewVersion, QStringLiteral("ShowOldVersionMessage"), true);
}
void TSettings::SetShowOldVersionMessage(bool value) {
  FIni.WriteBool(kNewVersion, QStringLiteral("ShowOldVersionMessage"), value);
}
int TSettings::NewVersionInternal() const { return FIni.ReadInteger(kNewVersion, QStringLiteral("Internal"), 0); }
void TSettings::SetNewVersionInternal(int value) { FIni.WriteInteger(kNewVersion, QStringLiteral("Internal"), value); }
double TSettings::NewVersion() const { return FIni.ReadFloat(kNewVersion, QStringLiteral("Version"), 0.0); }
void TSettings::SetNewVersion(double value) { FIni.WriteFloat(kNewVersion, QStringLiteral("Version"), value); }
QString TSettings::NewVersionString() const {
  return FIni.ReadString(kNewVersion, QStringLiteral("VersionString"), QString());
}
void TSettings::SetNewVersionString(const QString& value) {
  FIni.WriteString(kNewVersion, QStringLiteral("VersionString"), value);
}
QString TSettings::NewVersionDate() const {
  return FIni.ReadString(kNewVersion, QStringLiteral("VersionDate"), QStringLiteral("Unknown date"));
}
void TSettings::SetNewVersionDate(const QString& value) {
  FIni.WriteString(kNewVersion, QStringLiteral("VersionDate"), value);
}

bool TSettings::QuickMode() const { return RenderValues().QuickMode; }
void TSettings::SetQuickMode(bool value) {
  ForgetRenderValues();
  FIni.WriteBool(kScreen, QStringLiteral("QuickMode"), value);
}
QString TSettings::SnapText() const { return RenderValues().SnapText; }
double TSettings::Snap() const { return TextNumber(SnapText(), 0.5); }
void TSettings::SetSnap(double value) { SetSnapText(QString::fromStdString(FormatGeneral(value))); }
void TSettings::SetSnapText(const QString& value) {
  ForgetRenderValues();
  FIni.WriteString(kScreen, QStringLiteral("Snap"), value);
}
bool TSettings::Grid() const { return RenderValues().Grid; }
void TSettings::SetGrid(bool value) {
  ForgetRenderValues();
  FIni.WriteBool(kScreen, QStringLiteral("Grid"), value);
}

double TSettings::EmfScaleX() const { return FIni.ReadFloat(kExport, QStringLiteral("EMFScaleX"), 1.0); }
void TSettings::SetEmfScaleX(double value) { FIni.WriteFloat(kExport, QStringLiteral("EMFScaleX"), value); }
double TSettings::EmfScaleY() const { return FIni.ReadFloat(kExport, QStringLiteral("EMFScaleY"), 1.0); }
void TSettings::SetEmfScaleY(double value) { FIni.WriteFloat(kExport, QStringLiteral("EMFScaleY"), value); }

int TSettings::Tip() const { return FIni.ReadInteger(kHelp, QStringLiteral("Tip"), 0); }
void TSettings::SetTip(int value) { FIni.WriteInteger(kHelp, QStringLiteral("Tip"), value); }
bool TSettings::TipStartUp() const { return FIni.ReadBool(kHelp, QStringLiteral("TipStartUp"), true); }
void TSettings::SetTipStartUp(bool value) { FIni.WriteBool(kHelp, QStringLiteral("TipStartUp"), value); }

namespace {
const QString kRecent = QStringLiteral("RECENT");
QString RecentKey(int n) { return QStringLiteral("File") + QString::number(n); }
}  // namespace

QStringList TSettings::RecentFiles() const {
  QStringList files;
  for (int n = 1; n <= kMaxRecentFiles; ++n) {
    const QString path = FIni.ReadString(kRecent, RecentKey(n), QString()).trimmed();
    if (!path.isEmpty() && !files.contains(path)) files << path;
  }
  return files;
}

void TSettings::SetRecentFiles(const QStringList& files) {
  QStringList kept;
  for (const QString& f : files)
    if (!f.trimmed().isEmpty() && !kept.contains(f.trimmed()) && kept.size() < kMaxRecentFiles) kept << f.trimmed();
  FIni.BeginBulk();
  for (int n = 1; n <= kMaxRecentFiles; ++n) {
    if (n <= kept.size())
      FIni.WriteString(kRecent, RecentKey(n), kept[n - 1]);
    else
      FIni.DeleteKey(kRecent, RecentKey(n));
  }
  FIni.CommitBulk();
}

void TSettings::AddRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path.trimmed());
  files.prepend(path);
  SetRecentFiles(files);
}

void TSettings::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path.trimmed());
  SetRecentFiles(files);
}

int TSettings::Wheel() const { return WheelIndex(FIni.ReadInteger(kMouse, QStringLiteral("WHEEL"), 5), 5); }
void TSettings::SetWheel(int value) { FIni.WriteInteger(kMouse, QStringLiteral("WHEEL"), value); }
int TSettings::WheelCtrl() const { return WheelIndex(FIni.ReadInteger(kMouse, QStringLiteral("WHEELCTRL"), 3), 3); }
void TSettings::SetWheelCtrl(int value) { FIni.WriteInteger(kMouse, QStringLiteral("WHEELCTRL"), value); }
int TSettings::WheelShift() const { return WheelIndex(FIni.ReadInteger(kMouse, QStringLiteral("WHEELSHIFT"), 1), 1); }
void TSettings::SetWheelShift(int value) { FIni.WriteInteger(kMouse, QStringLiteral("WHEELSHIFT"), value); }

bool TSettings::EmptyBlocks() const { return FIni.ReadBool(kImport, QStringLiteral("EMPTYBLOCKS"), true); }
void TSettings::SetEmptyBlocks(bool value) { FIni.WriteBool(kImport, QStringLiteral("EMPTYBLOCKS"), value); }

bool TSettings::AutoSave() const { return FIni.ReadBool(kAutoSave, QStringLiteral("ENABLED"), false); }
void TSettings::SetAutoSave(bool value) { FIni.WriteBool(kAutoSave, QStringLiteral("ENABLED"), value); }
int TSettings::AutoSaveInterval() const {
  return std::max(1, FIni.ReadInteger(kAutoSave, QStringLiteral("INTERVAL"), 1));
}
void TSettings::SetAutoSaveInterval(int value) {
  FIni.WriteInteger(kAutoSave, QStringLiteral("INTERVAL"), std::max(1, value));
}

int TSettings::PageOverlay() const {
  return TextInteger(FIni.ReadString(kPrint, QStringLiteral("PAGEOVERLAY"), QString()), 0);
}
void TSettings::SetPageOverlay(int value) {
  FIni.WriteString(kPrint, QStringLiteral("PAGEOVERLAY"), QString::number(value));
}
double TSettings::PrintLineWidth() const { return RenderValues().PrintLineWidth; }
void TSettings::SetPrintLineWidth(double value) {
  ForgetRenderValues();
  FIni.WriteString(kPrint, QStringLiteral("LINEWIDTH"), QString::fromStdString(FormatGeneral(value)));
}
int TSettings::PrintShiftX() const {
  return TextInteger(FIni.ReadString(kPrint, QStringLiteral("SHIFTX"), QStringLiteral("0")), 0);
}
void TSettings::SetPrintShiftX(int value) {
  FIni.WriteString(kPrint, QStringLiteral("SHIFTX"), QString::number(value));
}
int TSettings::PrintShiftY() const {
  return TextInteger(FIni.ReadString(kPrint, QStringLiteral("SHIFTY"), QStringLiteral("0")), 0);
}
void TSettings::SetPrintShiftY(int value) {
  FIni.WriteString(kPrint, QStringLiteral("SHIFTY"), QString::number(value));
}

int TSettings::MaxSteps() const { return std::clamp(FIni.ReadInteger(kUndo, QStringLiteral("MAXSTEPS"), 5), 0, 10); }
void TSettings::SetMaxSteps(int value) {
  FIni.WriteInteger(kUndo, QStringLiteral("MAXSTEPS"), std::clamp(value, 0, 10));
}

double TSettings::SnapValue(double x) const { return SnapTo(x, Snap()); }

double TSettings::SnapTo(double x, double step) {
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(x)) return x;
  return static_cast<double>(RoundEven64(x / step)) * step;
}

void TSettings::RecordNewerBuild(int internal, double version, const QString& versionString, const QString& date) {
  if (internal <= kVersionInternal || internal <= NewVersionInternal()) return;
  SetNewVersionInternal(internal);
  SetNewVersion(version);
  SetNewVersionString(versionString);
  SetNewVersionDate(date.isEmpty() ? QStringLiteral("Unknown date") : date);
}

QString TSettings::NewerBuildText() const {
  if (NewVersionInternal() <= kVersionInternal) return QString();
  return SubstituteArgs(
      TranslateGeneral(QStringLiteral("OldVersion"),
                       QStringLiteral("You use an old version of programm. Install version %s released %s")),
      {NewVersionString(), NewVersionDate()});
}

QString TSettings::OldVersionMessage() const { return ShowOldVersionMessage() ? NewerBuildText() : QString(); }

QString TSettings::TempDirectory() const {
  const QString dir = WritableLocation(TWritable::Temp);
  if (QDir().mkpath(dir) && FolderWritable(dir)) return dir;
  // A program folder that looked writable but is not (a full or read-only
  // file system): the cache folder still serves.
  const QString fallback = CacheTempFolder();
  QDir().mkpath(fallback);
  return fallback;
}

QString TSettings::ReadText(const QString& section, const QString& key, const QString& def) const {
  return FIni.ReadString(section, key, def);
}

void TSettings::WriteText(const QString& section, const QString& key, const QString& value) {
  ForgetRenderValues();
  FIni.WriteString(section, key, value);
}

QString KindImagePath(int index) {
  if (index < 0 || index >= kKindImageCount) index = 0;
  return ProgramDir() + QStringLiteral("/icons/kinds/kind%1.svg").arg(index, 2, 10, QChar(u'0'));
}

TSettings& Settings() {
  if (gInstalled) return *gInstalled;
  static std::unique_ptr<TSettings> own;
  if (!own) own = std::make_unique<TSettings>(WritableLocation(TWritable::Settings));
  return *own;
}

void SetSettings(TSettings* settings) { gInstalled = settings; }
