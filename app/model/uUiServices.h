// Everything model code asks of the user goes through this one interface:
// message boxes, file dialogs, name prompts, list choices, colours and the
// progress of long work. The program installs the Qt implementation; tests
// and the headless command line install a scripted one.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

enum class TMsgKind { Error, Information, Warning, Question };

// Buttons of a message box (combine with |).
enum TMsgButton : int { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8 };

enum class TMsgResult { OK, Cancel, Yes, No };

struct TFileDialogOptions {
  QString Title;
  QString Filter;         // "Text|*.txt|All Files|*.*" pairs, as the language packs store them
  QString FileName;       // initial file name or folder
  QString DefaultSuffix;  // without the dot
  int FilterIndex = 1;    // 1-based, as the user last chose
  // Save dialogs: the dialog itself asks before a file is replaced. Off for
  // callers that change the chosen name afterwards and ask about the final one.
  bool ConfirmOverwrite = true;
};

class IUiServices {
 public:
  virtual ~IUiServices() = default;
  // A modal message box; returns the button pressed (Cancel/No when closed otherwise).
  virtual TMsgResult Message(TMsgKind kind, const QString& title, const QString& text, int buttons) = 0;
  // File dialogs: false when cancelled; *filterIndex (1-based) receives the chosen filter.
  virtual bool OpenFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) = 0;
  virtual bool SaveFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) = 0;
  // A one-line text prompt (names of templates, profiles, ...); false when cancelled.
  virtual bool PromptText(const QString& title, const QString& label, QString* value) = 0;
  // The same prompt offering `offered` to pick from (profile names); any text
  // may still be typed. Implementations without a list ask as PromptText.
  virtual bool PromptTextOffering(const QString& title, const QString& label, const QStringList& offered,
                                  QString* value) {
    (void)offered;
    return PromptText(title, label, value);
  }
  // Choice of one item; the chosen index, or -1 when cancelled.
  virtual int ChooseFromList(const QString& title, const QString& label, const QStringList& items, int current) = 0;
  virtual bool ChooseColor(const QColor& initial, QColor* result) = 0;
  // Long work: Begin, any number of Step calls (false = the user cancelled), End.
  virtual void BeginProgress(const QString& text, qint64 total) = 0;
  virtual bool StepProgress(qint64 done) = 0;
  virtual void EndProgress() = 0;
  // Opens a help topic by name ("data/text", "common/import").
  virtual void ShowHelp(const QString& topic) = 0;
};

// The installed services; a silent default (messages to standard error, every
// question answered Cancel/No, every dialog cancelled) until one is installed.
IUiServices& Ui();
// Installs services (not owned); nullptr restores the silent default.
void SetUiServices(IUiServices* services);
// The services installed (null for the silent default).
IUiServices* InstalledUiServices();

// The help pages' folder of the loaded language pack: its "LanguageCode"
// ("en", "ru"); "en" without a pack or for a code that is no plain name.
QString HelpLanguageFolder();
// The page of a help topic under the program's "help" folder: the language's
// "<lang>/<topic>.html", else the English "en/<topic>.html", else the older
// flat "<topic>.html". Empty when none exists and for a name that could leave
// that folder (only letters, digits, '_', '-' and '/' between non-empty parts
// are accepted).
QString HelpPagePath(const QString& topic);

// Filter pairs "Name|*.ext|Name2|*.e2" turned into Qt's "Name (*.ext);;Name2 (*.e2)".
QString FilterToQt(const QString& filter);

// File dialogs start where the user last chose a file in this run of the
// program, so the imports and exports of one well follow each other.
void RememberFileDialogChoice(const QString& fileName);
// Where a file dialog opens for its initial name: an absolute name as it is;
// a bare name, or none, in the folder last chosen (as it is before any choice).
QString FileDialogStartPath(const QString& initial);
