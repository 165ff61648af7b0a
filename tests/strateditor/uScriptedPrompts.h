// Scripted answers for the sign database editor: file names, answers to
// questions and what to do with each modal dialog come from queues; every
// question and message is recorded.
#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>

#include "uStratPrompts.h"

class TScriptedPrompts : public stratedit::TStratPrompts {
 public:
  TScriptedPrompts() { stratedit::SetPrompts(this); }
  ~TScriptedPrompts() override { stratedit::SetPrompts(nullptr); }

  // What each call takes from the front of its queue; an empty queue cancels.
  std::deque<QString> Files;
  std::deque<int> FilterIndexes;
  std::deque<QMessageBox::StandardButton> Answers;
  // Each modal dialog goes to the next handler; true accepts it. Without one it is accepted.
  std::deque<std::function<bool(QDialog*)>> Dialogs;

  QStringList Questions, Errors, Informations, FileTitles, HelpTopics;

  QString OpenFileName(QWidget*, const QString& title, const QString&, const QStringList&) override {
    FileTitles << title;
    return Take(Files, QString());
  }
  QString SaveFileName(QWidget*, const QString& title, const QString&, const QStringList&, int* filterIndex) override {
    FileTitles << title;
    if (filterIndex) *filterIndex = Take(FilterIndexes, 0);
    return Take(Files, QString());
  }
  QString FolderName(QWidget*, const QString&, const QString&) override { return Take(Files, QString()); }
  QMessageBox::StandardButton Ask(QWidget*, const QString& text, QMessageBox::StandardButtons) override {
    Questions << text;
    return Take(Answers, QMessageBox::Cancel);
  }
  void Error(QWidget*, const QString& text) override { Errors << text; }
  void Information(QWidget*, const QString& text) override { Informations << text; }
  bool Run(QDialog* dialog) override {
    std::function<bool(QDialog*)> handler = Take(Dialogs, std::function<bool(QDialog*)>());
    const bool accept = handler ? handler(dialog) : true;
    if (accept) dialog->accept();
    return accept && dialog->result() == QDialog::Accepted;
  }
  void ShowHelp(QWidget*, const QString& topic) override { HelpTopics << topic; }

 private:
  template <class T>
  static T Take(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};
