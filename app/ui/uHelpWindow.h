// The help window: the topics' HTML pages in a browser with Contents, Back
// and Forward. One window serves every request; asking for another topic
// shows it in the same window.
#pragma once

#include <QWidget>

class QAction;
class QTextBrowser;

class THelpWindow final : public QWidget {
 public:
  // Shows the page of `topic` (HelpPagePath) in the help window, creating it
  // on first use. False, and nothing shown, when the topic has no page.
  static bool ShowTopic(const QString& topic);
  // The window when one exists (it lives until the program ends, or until
  // the dialog it was lent to closes).
  static THelpWindow* Current();

  QTextBrowser* Browser() const { return FBrowser; }
  // The contents page ("index") of the current language.
  void GoHome();

 private:
  THelpWindow();
  void Open(const QString& page);
  void UpdateTitle();

  QTextBrowser* FBrowser;
  QAction* FBack;
  QAction* FForward;
};
