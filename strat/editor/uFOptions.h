// The editor's own options: the size of the large icons and whether icons
// show the picture at its true size instead of stretched over the icon.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace stratedit {

struct TEditorOptions {
  int IconSize = 48;
  bool RealSize = false;
};

class TFOptions : public QDialog {
  Q_OBJECT
 public:
  explicit TFOptions(QWidget* parent = nullptr);

  void SetOptions(const TEditorOptions& options);
  // The values shown (the icon size read as the dialog reads it).
  TEditorOptions Options() const;

  // Icon sizes the dialog accepts: large enough to show a pattern, small
  // enough that an icon per sign stays cheap.
  static constexpr int kMinIconSize = 16;
  static constexpr int kMaxIconSize = 256;
  // Text that is not a number counts as the default size.
  static int ReadIconSize(const QString& text);

 private:
  void UpdateOk();

  QLineEdit* FIconSize;
  QCheckBox* FRealSize;
  QPushButton* FOk;
};

}  // namespace stratedit
