#include "uFMarker.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintMarker.h"

namespace {

QLineEdit* NumberEdit(const char* name, double value, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(FormatGeneral(value)), parent);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

double Parse(const QLineEdit* edit, double def) {
  const QByteArray text = edit->text().toUtf8();
  return ReadNumber(std::string_view(text.constData(), static_cast<size_t>(text.size())), def);
}

// The symbol of a shape, drawn by the marker itself.
QIcon ShapeIcon(int shape) {
  QPixmap pixmap(24, 16);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  TPrintMarker marker;
  marker.SetShape(shape);
  TDrawContext context;
  context.DC = &painter;
  context.ClipRect = {0, 0, 24, 16};
  const double mm = 25.4 / context.DpiX();
  marker.SetBoundsRect({4 * mm, 3 * mm, 20 * mm, 13 * mm});
  marker.Draw(context);
  return QIcon(pixmap);
}

}  // namespace

TMarkerShapeCombo::TMarkerShapeCombo(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(24, 16));
  static const char* const kNames[kMarkerShapeCount][2] = {{"MarkerCross", "Cross"},
                                                           {"MarkerEllipse", "Ellipse"},
                                                           {"MarkerRectangle", "Rectangle"},
                                                           {"MarkerHorzBar", "Horizontal bar"},
                                                           {"MarkerVertBar", "Vertical bar"}};
  for (int shape = 0; shape < kMarkerShapeCount; ++shape)
    addItem(ShapeIcon(shape), TranslateGeneral(QLatin1String(kNames[shape][0]), QLatin1String(kNames[shape][1])));
}

TFMarker::TFMarker(TPrintMarker* marker, QWidget* parent) : QDialog(parent), FMarker(marker) {
  setObjectName(QStringLiteral("TFMarker"));
  setWindowTitle(TranslateKindName(kindMarker));
  cbShape = new TMarkerShapeCombo(this);
  cbShape->setObjectName(QStringLiteral("cbShape"));
  cbShape->SetShape(marker->Shape());
  cColor = new TColorPanel(this);
  cColor->setObjectName(QStringLiteral("cColor"));
  cColor->SetColor(marker->MarkerColor());
  sLeft = NumberEdit("sLeft", marker->Left(), this);
  sTop = NumberEdit("sTop", marker->Top(), this);
  sWidth = NumberEdit("sWidth", marker->GetWidth(), this);
  sHeight = NumberEdit("sHeight", marker->GetHeight(), this);

  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Style")), cbShape);
  form->addRow(TranslateWord(QStringLiteral("Color")), cColor);
  form->addRow(TranslateWord(QStringLiteral("Left")), sLeft);
  form->addRow(TranslateWord(QStringLiteral("Top")), sTop);
  form->addRow(TranslateWord(QStringLiteral("Width")) + QStringLiteral(", ") + TranslateWord(QStringLiteral("mm")),
               sWidth);
  form->addRow(TranslateWord(QStringLiteral("Height")) + QStringLiteral(", ") + TranslateWord(QStringLiteral("mm")),
               sHeight);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/marker"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
}

void TFMarker::Apply() {
  FMarker->SetShape(cbShape->Shape());
  FMarker->SetMarkerColor(cColor->Color());
  const double left = Parse(sLeft, FMarker->Left());
  const double top = Parse(sTop, FMarker->Top());
  FMarker->SetBoundsRect(
      {left, top, left + Parse(sWidth, FMarker->GetWidth()), top + Parse(sHeight, FMarker->GetHeight())});
}

bool TFMarker::Execute(TPrintObject* object) {
  auto* marker = dynamic_cast<TPrintMarker*>(object);
  if (!marker) return false;
  TFMarker dialog(marker);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}
