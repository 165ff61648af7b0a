// The template selection dialog of File > New: every template of the
// template folder with its picture and name, the chosen one's description,
// and deleting a template from a pop-up menu.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <vector>

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

struct TTemplateEntry {
  QString Path;
  QString Name;
  QString Description;
  QString Picture;  // a picture file, or empty
};

// The templates of `folder` ("*.kn?"): a ".knt" named by [TEMPLATE] NAME (a
// file without a name is left out) and described by DESCRIPTION, a ".knd" by
// its file name with the folder's "default.template.bmp"; a picture with the
// template's own name beside it (".bmp" or ".png") replaces that picture.
// Sorted by name.
std::vector<TTemplateEntry> ListTemplates(const QString& folder);
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
  std::vector<TTemplateEntry> FEntries;
  QListWidget* lTemplates;
  QGroupBox* gbDescription;
  QLabel* lDescription;
  QPushButton* btnOK;
};
