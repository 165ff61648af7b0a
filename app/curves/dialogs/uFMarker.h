// The marker dialog: the marker's shape (each drawn in the list), its colour
// and its place and size on the page.
#pragma once

#include <QComboBox>
#include <QDialog>

class QLineEdit;
class TColorPanel;
class TPrintMarker;
class TPrintObject;

// The five marker shapes, each row showing its symbol.
class TMarkerShapeCombo : public QComboBox {
 public:
  explicit TMarkerShapeCombo(QWidget* parent = nullptr);
  int Shape() const { return currentIndex() < 0 ? 0 : currentIndex(); }
  // Shapes outside the list show the cross they are drawn as.
  void SetShape(int shape) { setCurrentIndex(shape >= 0 && shape < count() ? shape : 0); }
};

class TFMarker : public QDialog {
 public:
  explicit TFMarker(TPrintMarker* marker, QWidget* parent = nullptr);

  // Writes the edits into the marker (what OK does); unreadable numbers keep
  // the current values.
  void Apply();
  static bool Execute(TPrintObject* object);

 private:
  TPrintMarker* FMarker;
  TMarkerShapeCombo* cbShape;
  TColorPanel* cColor;
  QLineEdit* sLeft;
  QLineEdit* sTop;
  QLineEdit* sWidth;
  QLineEdit* sHeight;
};
