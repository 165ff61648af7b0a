#include "uScriptedUi.h"

#include <cstdio>

namespace {
template <class T>
bool Take(std::deque<T>& queue, T* out) {
  if (queue.empty()) return false;
  if (out) *out = queue.front();
  queue.pop_front();
  return true;
}
}  // namespace

TMsgResult TScriptedUi::Message(TMsgKind kind, const QString& title, const QString& text, int buttons) {
  Messages.push_back({kind, title, text, buttons});
  if (EchoMessages) {
    // One line per message, whatever line breaks the text holds.
    QString line = title.isEmpty() ? text : title + QStringLiteral(": ") + text;
    line.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "Kerno: %s\n", qUtf8Printable(line));
  }
  TMsgResult answer{};
  if (Take(MessageAnswers, &answer)) return answer;
  if (buttons & mbCancel) return TMsgResult::Cancel;
  if (buttons & mbNo) return TMsgResult::No;
  return TMsgResult::OK;
}

bool TScriptedUi::OpenFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) {
  FileDialogs.push_back(options);
  if (!Take(FileAnswers, fileName)) return false;
  int filter = options.FilterIndex;
  Take(FilterAnswers, &filter);
  if (filterIndex) *filterIndex = filter;
  return true;
}

bool TScriptedUi::SaveFileName(const TFileDialogOptions& options, QString* fileName, int* filterIndex) {
  return OpenFileName(options, fileName, filterIndex);
}

bool TScriptedUi::PromptText(const QString&, const QString&, QString* value) { return Take(TextAnswers, value); }

bool TScriptedUi::PromptTextOffering(const QString& title, const QString& label, const QStringList& offered,
                                     QString* value) {
  Lists.push_back(offered);
  return PromptText(title, label, value);
}

int TScriptedUi::ChooseFromList(const QString&, const QString&, const QStringList& items, int) {
  Lists.push_back(items);
  int index = -1;
  if (!Take(ListAnswers, &index)) return -1;
  return index >= 0 && index < items.size() ? index : -1;
}

bool TScriptedUi::ChooseColor(const QColor&, QColor* result) { return Take(ColorAnswers, result); }

void TScriptedUi::BeginProgress(const QString&, qint64) { FProgressActive = true; }

bool TScriptedUi::StepProgress(qint64 done) { return CancelProgressAt < 0 || done < CancelProgressAt; }

void TScriptedUi::EndProgress() { FProgressActive = false; }
