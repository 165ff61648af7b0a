// The template selection dialog of File > New: every template of the
// template folder with its picture and name, the chosen one's description,
// and deleting a template from a pop-up menu.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <vector>

#include "uTemplateInfo.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Deletes the template file and a ".knt" of the same name; false when the
// template file stays.
bool DeleteTemplateFiles(const QString& path);

class TFSelectTemplate : public QDialog {
  Q_OBJECT

 public:
  explicit TFSelectTemplate(const QString& folder, QWidget* parent = nullptr);
  // The chosen template's path; empty when cancelled.
  static QString Execute(QWidget* parent);

  QString ChosenPath() const;
  QListWidget* List() const { return lTemplates; }
  // Asks, then deletes the current template and its entry.
  void DeleteCurrent();

 private:
  void Fill();
  void CurrentChanged();
  void ShowMenu(const QPoint& pos);

  QString FFolder;
  std::vector<TTemplateInfo> FEntries;
  QListWidget* lTemplates;
  QGroupBox* gbDescription;
  QLabel* lDescription;
  QPushButton* btnOK;
};
