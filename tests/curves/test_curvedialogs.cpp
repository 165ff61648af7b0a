// The curve, scale header and marker dialogs driven offscreen: what they
// show, what OK writes back, the fallbacks for unreadable entries, the
// defaults saved for the curve's name, children opened from the curve
// dialog, Help, and the properties commands that open them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

#include "uColorPanel.h"
#include "uCurvesTestEnv.h"
#include "uFDiagramm.h"
#include "uFDiagrammScale.h"
#include "uFMarker.h"
#include "uIniFile.h"
#include "uLineStyleDialog.h"
#include "uPrintDiagrammScale.h"
#include "uPrintDiagrams.h"
#include "uPrintMarker.h"
#include "uPrintObjectRuller.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"
#include "uWidgetLookup.h"

using CurveDialogTest = TCurvesTest;

TEST_F(CurveDialogTest, CurveDialogWritesBackOnOkWithItsFallbacks) {
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {10, 20, 30});
  c->SetName("NPHI");
  c->SetMeasure(5);
  TfDiagramm d(c);
  EXPECT_EQ(d.windowTitle(), "Diagramm NPHI");
  EXPECT_EQ(Find<QCheckBox>(&d, "bSaveAsDefault")->text(), "Save as default NPHI");
  auto* label = Find<QLabel>(&d, "lMeasurement");
  EXPECT_EQ(label->text(), "Value at cm");
  Find<QCheckBox>(&d, "bLogariphmic")->setChecked(true);
  EXPECT_EQ(label->text(), "cm per order") << "the label follows the box";
  // A measure of 0 is no measure: OK waits for another.
  SetText(&d, "sMeasurement", "0");
  EXPECT_FALSE(Find<QPushButton>(&d, "btnOK")->isEnabled());
  SetText(&d, "sMeasurement", "oops");
  EXPECT_TRUE(Find<QPushButton>(&d, "btnOK")->isEnabled());
  SetText(&d, "sLineWidth", "thick");
  Find<TLineStyleCombo>(&d, "iLineStyle")->SetStyle(2);
  Find<TColorPanel>(&d, "cColor")->SetColor(0x00FF00);
  c->SetLineWidth(0.7);
  d.Apply();
  EXPECT_EQ(c->LineWidth(), 0.7) << "unreadable width: the curve keeps its own";
  EXPECT_EQ(c->Measure(), 5) << "unreadable measure: the value shown at opening";
  EXPECT_TRUE(c->Logarithmic());
  EXPECT_EQ(c->LineStyle(), 2);
  EXPECT_EQ(c->Color(), 0x00FF00u);
  EXPECT_NEAR(c->GetWidth(), std::log10(30.0) * 50, 1e-9) << "refitted on the new axis";
  EXPECT_FALSE(QFile::exists(Path("kerno.ini")));

  // Saving as default writes the name's section of kerno.ini, children included.
  c->AddScaleHeader(nullptr)->SetMeasureName("p.u.");
  TfDiagramm again(c);
  SetText(&again, "sMeasurement", "0,5");
  Find<QCheckBox>(&again, "bSaveAsDefault")->setChecked(true);
  again.Apply();
  EXPECT_EQ(c->Measure(), 0.5);
  TIniFile ini(Path("kerno.ini"));
  EXPECT_EQ(ini.ReadString("NPHI", "SCALE.MEASUREMENT", ""), "0.5");
  EXPECT_EQ(ini.ReadString("NPHI", "SCALE.NAME", ""), "p.u.");
  EXPECT_EQ(ini.ReadString("NPHI", "LOGARIPHMIC", ""), "1");
  Find<QPushButton>(&again, "btnHelp")->click();
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/diagramm"});
}

TEST_F(CurveDialogTest, CurveDialogListsChildrenAndOpensThemAtOnce) {
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2});
  c->SetName("GR");
  c->AddNameCaption(nullptr);
  c->AddScaleHeader(nullptr)->SetMeasureName("API");
  c->ClickAt(2, 12, 3);
  TfDiagramm d(c);
  auto* list = Find<QListWidget>(&d, "ChildList");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "GR (Text)");
  EXPECT_EQ(list->item(1)->text(), "API (DiagrammScale)");
  EXPECT_EQ(list->item(2)->text(), "Marker (Marker)");
  // A click opens the child's own dialog; what it changes stays, even when
  // the curve dialog is cancelled afterwards.
  int opened = 0;
  RegisterPropertiesDialog("TPrintDiagrammScale", [&](TPrintObject* object) {
    ++opened;
    static_cast<TPrintDiagrammScale*>(object)->SetMeasureName("gAPI");
    return true;
  });
  emit list->itemClicked(list->item(1));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(list->item(1)->text(), "gAPI (DiagrammScale)");
  d.reject();
  EXPECT_EQ(static_cast<TPrintDiagrammScale*>(c->GetChild(1))->MeasureName(), "gAPI");
  RegisterPropertiesDialog("TPrintDiagrammScale", nullptr);
}

TEST_F(CurveDialogTest, ScaleDialogShowsAndParsesItsFields) {
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2});
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  scale->SetMeasureName("mV");
  scale->SetMarkStep(35);  // not in the list
  scale->SetMarkSize(3);
  scale->SetMarkIndex2(4);
  TFDiagrammScale d(scale);
  EXPECT_EQ(d.windowTitle(), "DiagrammScale mV");
  EXPECT_EQ(Find<QComboBox>(&d, "sMarkStep")->currentText(), "35") << "a step not in the list shows as typed";
  EXPECT_EQ(Find<QLineEdit>(&d, "sMarkIndex1")->text(), "") << "unset shows empty";
  EXPECT_EQ(Find<QLineEdit>(&d, "sMarkIndex2")->text(), "4");
  SetText(&d, "sPosition", "12,5");
  SetText(&d, "sWidth", "wide");
  SetText(&d, "sMarkSize", "big");
  SetText(&d, "sMarkIndex1", "1");
  SetText(&d, "sMarkIndex2", "x");
  Find<QComboBox>(&d, "sMarkStep")->setCurrentText("50");
  Find<QCheckBox>(&d, "bShowName")->setChecked(true);
  Find<QCheckBox>(&d, "bBorder")->setChecked(true);
  d.WorkFont().SetSize(14);
  const double width = scale->GetWidth();
  d.Apply();
  EXPECT_EQ(scale->Top(), 12.5);
  EXPECT_EQ(scale->MarkStep(), 50);
  EXPECT_EQ(scale->GetWidth(), std::max(width, 100.0)) << "unreadable: current width, two new steps at least";
  EXPECT_EQ(scale->MarkSize(), 3) << "unreadable: the size shown";
  EXPECT_EQ(scale->MarkIndex1(), 1);
  EXPECT_EQ(scale->MarkIndex2(), kMarkIndexUnset);
  EXPECT_TRUE(scale->ShowName());
  EXPECT_TRUE(scale->Border());
  EXPECT_EQ(scale->ScaleFont().Size(), 14);

  TFDiagrammScale again(scale);
  EXPECT_EQ(Find<QComboBox>(&again, "sMarkStep")->currentText(), "50");
  Find<QComboBox>(&again, "sMarkStep")->setCurrentText("fine");
  again.Apply();
  EXPECT_EQ(scale->MarkStep(), 20) << "a step that is no whole number is 20";
  Find<QPushButton>(&again, "btnHelp")->click();
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/diagrammscale"});
}

TEST_F(CurveDialogTest, PropertiesCommandsOpenTheRegisteredDialogs) {
  RegisterCurvePlotDialogs();
  TTestBody body;
  TPrintDiagramm* c = body.AddCurve(10, 0, 1, {1, 2});
  c->SetModified(false);
  AnswerNextModal("btnCancel", [](QWidget* d) { d->findChild<QLineEdit*>("sMeasurement")->setText("7"); });
  EXPECT_FALSE(c->EditProperties());
  EXPECT_EQ(c->Measure(), 1);
  EXPECT_FALSE(c->GetModified());
  AnswerNextModal("btnOK", [](QWidget* d) { d->findChild<QLineEdit*>("sMeasurement")->setText("7"); });
  EXPECT_TRUE(c->EditProperties());
  EXPECT_EQ(c->Measure(), 7);
  EXPECT_TRUE(c->GetModified());

  ASSERT_TRUE(c->ClickAt(2, 11, 2));
  auto* marker = static_cast<TPrintMarker*>(c->GetChild(0));
  AnswerNextModal("btnOK", [](QWidget* d) {
    d->findChild<TMarkerShapeCombo*>("cbShape")->SetShape(msVertBar);
    d->findChild<QLineEdit*>("sWidth")->setText("5");
    d->findChild<QLineEdit*>("sTop")->setText("bad");
  });
  EXPECT_TRUE(marker->EditProperties());
  EXPECT_EQ(marker->Shape(), msVertBar);
  EXPECT_EQ(marker->GetBoundsRect(), (TBoundsRect{11, 2, 16, 4}));
  TFMarker markerDialog(marker);
  Find<QPushButton>(&markerDialog, "btnHelp")->click();
  EXPECT_EQ(FUi.HelpTopics, QStringList{"data/marker"});

  TPrintObjectRuller ruler;
  AnswerNextModal("btnOK", [](QWidget* d) { d->findChild<TLineStyleCombo*>("cbStyle")->SetStyle(4); });
  EXPECT_TRUE(ruler.EditProperties());
  EXPECT_EQ(ruler.LineStyle().Style, 4);
  EXPECT_EQ(ruler.LineStyle().LineWidth, 0.2);
  for (const char* name : {"TPrintDiagrammBase", "TPrintDiagrammScale", "TPrintMarker", "TPrintObjectRuller"})
    RegisterPropertiesDialog(name, nullptr);
}

// Typing the values at the track's edges lays the axis on OK; the measure
// shown follows them, and a measure typed afterwards keeps the typed zero.
TEST_F(CurveDialogTest, CurveDialogSetsTheValuesAtTheTracksEdges) {
  TTestBody body;
  auto* track = body.Add<TPrintDiagrams>(TBoundsRect{20, 0, 60, 100});
  TPrintDiagramm* c = track->AddEmptyCurve("GR", 1);
  c->SetMeasure(10);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  const auto type = [](QWidget* d, const char* name, const QString& text) {
    auto* edit = Find<QLineEdit>(d, name);
    edit->setText(text);
    emit edit->textEdited(text);
  };
  TfDiagramm d(c);
  auto* ok = Find<QPushButton>(&d, "btnOK");
  EXPECT_EQ(Find<QLineEdit>(&d, "sRangeFrom")->text(), "0");
  EXPECT_EQ(Find<QLineEdit>(&d, "sRangeTo")->text(), "40");
  type(&d, "sRangeTo", "150");
  EXPECT_EQ(Find<QLineEdit>(&d, "sMeasurement")->text(), "37.5");
  type(&d, "sRangeFrom", "150");
  EXPECT_FALSE(ok->isEnabled()) << "the left value must lie below the right one";
  type(&d, "sRangeFrom", "abc");
  EXPECT_FALSE(ok->isEnabled());
  type(&d, "sRangeFrom", "30");
  EXPECT_TRUE(ok->isEnabled());
  d.Apply();
  EXPECT_NEAR(c->XToValue(20), 30, 1e-9);
  EXPECT_NEAR(c->XToValue(60), 150, 1e-9);
  EXPECT_NEAR(c->Measure(), 30, 1e-9);
  // Marks every 20 mm from the zero 10 mm left of the track: 60 and 120.
  EXPECT_EQ(scale->MarkIndex1(), 1);
  EXPECT_EQ(scale->MarkIndex2(), 2);

  // A measure typed after the edges keeps the left value typed.
  TfDiagramm again(c);
  EXPECT_EQ(Find<QLineEdit>(&again, "sRangeFrom")->text(), "30");
  type(&again, "sRangeFrom", "30");
  type(&again, "sMeasurement", "15");
  EXPECT_EQ(Find<QLineEdit>(&again, "sRangeTo")->text(), "90");
  again.Apply();
  EXPECT_NEAR(c->XToValue(20), 30, 1e-9);
  EXPECT_NEAR(c->XToValue(60), 90, 1e-9);
  // Without edges typed, a measure scales the axis about its zero, as before.
  TfDiagramm third(c);
  type(&third, "sMeasurement", "7.5");
  EXPECT_EQ(Find<QLineEdit>(&third, "sRangeFrom")->text(), "15");
  EXPECT_EQ(Find<QLineEdit>(&third, "sRangeTo")->text(), "45");
  Find<QCheckBox>(&third, "bLogariphmic")->setChecked(true);
  EXPECT_FALSE(Find<QLineEdit>(&third, "sRangeTo")->text().isEmpty()) << "read on the logarithmic axis";
  third.reject();
  EXPECT_NEAR(c->Measure(), 15, 1e-9) << "nothing changes before OK";

  // A curve outside a curve column shows no edges.
  TPrintDiagramm* loose = body.AddCurve(10, 0, 1, {1, 2});
  TfDiagramm plain(loose);
  EXPECT_EQ(plain.findChild<QLineEdit*>("sRangeFrom"), nullptr);
}
