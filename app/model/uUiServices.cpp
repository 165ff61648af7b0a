#include "uUiServices.h"

#include <QFileInfo>
#include <cstdio>

#include "uLanguage.h"
#include "uSettings.h"

namespace {
class TSilentUi final : public IUiServices {
 public:
  TMsgResult Message(TMsgKind kind, const QString& title, const QString& text, int buttons) override {
    if (kind == TMsgKind::Error || kind == TMsgKind::Warning)
      std::fprintf(stderr, "%s\n", qUtf8Printable(title.isEmpty() ? text : title + ": " + text));
    if (buttons & mbCancel) return TMsgResult::Cancel;
    if (buttons & mbNo) return TMsgResult::No;
    return TMsgResult::OK;
  }
  bool OpenFileName(const TFileDialogOptions&, QString*, int*) override { return false; }
  bool SaveFileName(const TFileDialogOptions&, QString*, int*) override { return false; }
  bool PromptText(const QString&, const QString&, QString*) override { return false; }
  int ChooseFromList(const QString&, const QString&, const QStringList&, int) override { return -1; }
  bool ChooseColor(const QColor&, QColor*) override { return false; }
  void BeginProgress(const QString&, qint64) override {}
  bool StepProgress(qint64) override { return true; }
  void EndProgress() override {}
  void ShowHelp(const QString&) override {}
};

TSilentUi gSilent;
IUiServices* gServices = nullptr;
}  // namespace

IUiServices& Ui() { return gServices ? *gServices : gSilent; }

void SetUiServices(IUiServices* services) { gServices = services; }

IUiServices* InstalledUiServices() { return gServices; }

namespace {

QString& LastDialogFolder() {
  static QString folder;
  return folder;
}

}  // namespace

void RememberFileDialogChoice(const QString& fileName) {
  if (fileName.isEmpty()) return;
  const QFileInfo info(fileName);
  LastDialogFolder() = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

QString FileDialogStartPath(const QString& initial) {
  const QString& folder = LastDialogFolder();
  if (folder.isEmpty() || QFileInfo(initial).isAbsolute()) return initial;
  return initial.isEmpty() ? folder : folder + QLatin1Char('/') + initial;
}

QString FilterToQt(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return out.join(QStringLiteral(";;"));
}

namespace {
bool SafeName(const QString& name) {
  if (name.isEmpty()) return false;
  for (const QChar c : name)
    if (!(c.isLetterOrNumber() || c == u'_' || c == u'-')) return false;
  return true;
}
}  // namespace

QString HelpLanguageFolder() {
  const QString folder = TranslateGeneral(QStringLiteral("LanguageCode"), QStringLiteral("en")).trimmed().toLower();
  return SafeName(folder) ? folder : QStringLiteral("en");
}

QString HelpPagePath(const QString& topic) {
  if (topic.isEmpty()) return {};
  for (const QString& part : topic.split(u'/'))
    if (!SafeName(part)) return {};
  const QString help = ProgramDir() + QStringLiteral("/help/");
  const QString page = topic + QStringLiteral(".html");
  for (const QString& path :
       {help + HelpLanguageFolder() + u'/' + page, help + QStringLiteral("en/") + page, help + page})
    if (QFileInfo(path).isFile()) return path;
  return {};
}
