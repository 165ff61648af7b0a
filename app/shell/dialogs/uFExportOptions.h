// The export options of a raster picture: the scale in percent and, for
// JPEG, the quality. OK is enabled only while the scale lies between 1 and
// 1000 percent and the picture stays within the size a bitmap may have.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSlider;
class TPrintObject;

class TFExportOptions : public QDialog {
 public:
  // `object` gives the picture's size shown beside the scale (may be null).
  TFExportOptions(TPrintObject* object, bool jpeg, QWidget* parent = nullptr);

  // The scale passed on: the field's number (100 when unreadable) / 100.
  double Scale() const;
  int Quality() const;
  void SetQuality(int quality);

 private:
  void ScaleChanged();

  TPrintObject* FObject;
  QLineEdit* eScale;
  QLabel* lSize;
  QLabel* lQuality;
  QSlider* tbQuality;
  QLabel* lQualityValue;
  QDialogButtonBox* FButtons;
};
