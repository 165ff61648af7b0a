#include "uFOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uNumberFields.h"
#include "uPdfPrintTarget.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

QComboBox* WheelCombo(const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const TWheelAction& a : kWheelActions)
    box->addItem(TranslateGeneral(QString::fromLatin1(a.Key), QString::fromLatin1(a.Text)));
  return box;
}

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

TFOptions::TFOptions(TSettings& settings, QWidget* parent) : QDialog(parent), FSettings(settings) {
  setObjectName(QStringLiteral("FOptions"));
  setWindowTitle(TranslateWord(QStringLiteral("Options")));

  auto* main = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  main->addLayout(columns);

  // 1. Language
  auto* gLanguage = new QGroupBox(TranslateGeneral(QStringLiteral("Language"), QStringLiteral("Language")), this);
  auto* fLanguage = new QVBoxLayout(gLanguage);
  cbLanguage = Named(new QComboBox(gLanguage), "cbLanguage");
  fLanguage->addWidget(cbLanguage);
  left->addWidget(gLanguage);

  // 2. Auto save, 3. undo steps
  auto* gSave = new QGroupBox(TranslateGeneral(QStringLiteral("Saving"), QStringLiteral("Saving")), this);
  auto* fSave = new QGridLayout(gSave);
  chAutoSave = Named(new QCheckBox(TranslateGeneral(QStringLiteral("AutoSave"), QStringLiteral("Auto save")), gSave),
                     "chAutoSave");
  lInterval =
      Named(new QLabel(TranslateGeneral(QStringLiteral("Interval"), QStringLiteral("Interval")), gSave), "lInterval");
  seInterval = Named(new QSpinBox(gSave), "seInterval");
  seInterval->setRange(1, 1440);
  lMinutes = Named(new QLabel(TranslateGeneral(QStringLiteral("Minutes"), QStringLiteral("min")), gSave), "lMinutes");
  fSave->addWidget(chAutoSave, 0, 0, 1, 3);
  fSave->addWidget(lInterval, 1, 0);
  fSave->addWidget(seInterval, 1, 1);
  fSave->addWidget(lMinutes, 1, 2);
  auto* lUndo = new QLabel(TranslateGeneral(QStringLiteral("UndoSteps"), QStringLiteral("Maximum undo steps")), gSave);
  eUndoSteps = Named(new QLineEdit(gSave), "eUndoSteps");
  fSave->addWidget(lUndo, 2, 0);
  fSave->addWidget(eUndoSteps, 2, 1, 1, 2);
  left->addWidget(gSave);

  // 4. Screen
  auto* gScreen = new QGroupBox(TranslateGeneral(QStringLiteral("Screen"), QStringLiteral("Screen")), this);
  auto* fScreen = new QFormLayout(gScreen);
  chQuickMode =
      Named(new QCheckBox(TranslateGeneral(QStringLiteral("QuickMode"), QStringLiteral("Quick mode")), gScreen),
            "chQuickMode");
  fScreen->addRow(chQuickMode);
  cbSnap = Named(new QComboBox(gScreen), "cbSnap");
  cbSnap->setEditable(true);
  cbSnap->addItems({TranslateGeneral(QStringLiteral("none"), QStringLiteral("(None)")), QStringLiteral("0.1"),
                    QStringLiteral("0.2"), QStringLiteral("0.5"), QStringLiteral("1"), QStringLiteral("2")});
  fScreen->addRow(TranslateGeneral(QStringLiteral("Snap"), QStringLiteral("Snap")), cbSnap);
  left->addWidget(gScreen);

  // 5. Lithology lists
  auto* gLdb =
      new QGroupBox(TranslateGeneral(QStringLiteral("LithologyLists"), QStringLiteral("Lithology lists")), this);
  auto* fLdb = new QGridLayout(gLdb);
  chShowIcons = Named(new QCheckBox(TranslateGeneral(QStringLiteral("ShowIcons"), QStringLiteral("Show Icons")), gLdb),
                      "chShowIcons");
  chAlphaSort = Named(
      new QCheckBox(TranslateGeneral(QStringLiteral("AlphabeticalSort"), QStringLiteral("Alphabetical sort")), gLdb),
      "chAlphaSort");
  lIconSize =
      Named(new QLabel(TranslateGeneral(QStringLiteral("IconSize"), QStringLiteral("Icon size")), gLdb), "lIconSize");
  seIconSize = Named(new QSpinBox(gLdb), "seIconSize");
  seIconSize->setRange(8, 128);
  chShowLCError =
      Named(new QCheckBox(
                TranslateGeneral(QStringLiteral("ShowLCErrorMsg"), QStringLiteral("Show strat error message")), gLdb),
            "chShowLCError");
  fLdb->addWidget(chShowIcons, 0, 0, 1, 2);
  fLdb->addWidget(lIconSize, 1, 0);
  fLdb->addWidget(seIconSize, 1, 1);
  fLdb->addWidget(chAlphaSort, 2, 0, 1, 2);
  fLdb->addWidget(chShowLCError, 3, 0, 1, 2);
  left->addWidget(gLdb);

  // 6. Export
  auto* gExport = new QGroupBox(TranslateWord(QStringLiteral("Export")), this);
  auto* fExport = new QFormLayout(gExport);
  eAmendmentX = Named(new QLineEdit(gExport), "eAmendmentX");
  eAmendmentY = Named(new QLineEdit(gExport), "eAmendmentY");
  const QString exportHint =
      TranslateGeneral(QStringLiteral("ExportPropHint"),
                       QStringLiteral("Use this properties only if you have problem when export to metafile"));
  eAmendmentX->setToolTip(exportHint);
  eAmendmentY->setToolTip(exportHint);
  gExport->setToolTip(exportHint);
  fExport->addRow(TranslateGeneral(QStringLiteral("AmendmentX"), QStringLiteral("Amendment X")), eAmendmentX);
  fExport->addRow(TranslateGeneral(QStringLiteral("AmendmentY"), QStringLiteral("Amendment Y")), eAmendmentY);
  right->addWidget(gExport);

  // 7. Mouse wheel
  auto* gMouse = new QGroupBox(TranslateGeneral(QStringLiteral("Mouse"), QStringLiteral("Mouse")), this);
  auto* fMouse = new QFormLayout(gMouse);
  cbWheel = WheelCombo("cbWheel", gMouse);
  cbWheelCtrl = WheelCombo("cbWheelCtrl", gMouse);
  cbWheelShift = WheelCombo("cbWheelShift", gMouse);
  fMouse->addRow(TranslateGeneral(QStringLiteral("MouseWheel"), QStringLiteral("Mouse wheel")), cbWheel);
  fMouse->addRow(TranslateGeneral(QStringLiteral("MouseWheelCtrl"), QStringLiteral("Mouse wheel + Ctrl")), cbWheelCtrl);
  fMouse->addRow(TranslateGeneral(QStringLiteral("MouseWheelShift"), QStringLiteral("Mouse wheel + Shift")),
                 cbWheelShift);
  right->addWidget(gMouse);

  // 8. Print
  auto* gPrint = new QGroupBox(TranslateGeneral(QStringLiteral("Print"), QStringLiteral("Print")), this);
  auto* fPrint = new QFormLayout(gPrint);
  ePageOverlay = Named(new QLineEdit(gPrint), "ePageOverlay");
  eLineWidth = Named(new QLineEdit(gPrint), "eLineWidth");
  eShiftX = Named(new QLineEdit(gPrint), "eShiftX");
  eShiftY = Named(new QLineEdit(gPrint), "eShiftY");
  ePdfMargins = Named(new QLineEdit(gPrint), "ePdfMargins");
  ePdfMargins->setToolTip(TranslateGeneral(QStringLiteral("PdfMarginsHint"),
                                           QStringLiteral("One number for all four, or left;top;right;bottom")));
  fPrint->addRow(TranslateGeneral(QStringLiteral("PageOverlay"), QStringLiteral("Page overlay")), ePageOverlay);
  fPrint->addRow(TranslateGeneral(QStringLiteral("LineWidth"), QStringLiteral("Line width")), eLineWidth);
  fPrint->addRow(TranslateGeneral(QStringLiteral("HorizontalShift"), QStringLiteral("Horizontal shift")), eShiftX);
  fPrint->addRow(TranslateGeneral(QStringLiteral("VerticalShift"), QStringLiteral("Vertical shift")), eShiftY);
  fPrint->addRow(TranslateGeneral(QStringLiteral("PdfMargins"), QStringLiteral("PDF margins, mm")), ePdfMargins);
  right->addWidget(gPrint);

  // 9. Newer build reminder
  chOldVersion = Named(new QCheckBox(TranslateGeneral(QStringLiteral("ShowOldVersionMessage"),
                                                      QStringLiteral("Remind me about newest version")),
                                     this),
                       "chOldVersion");
  right->addWidget(chOldVersion);
  right->addStretch();

  FButtons = NewOkCancelButtons(this, QStringLiteral("common/options"));
  main->addWidget(FButtons);
  connect(FButtons, &QDialogButtonBox::accepted, this, [this] { btnOKClick(); });
  connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(chAutoSave, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
  connect(chShowIcons, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });

  FormShow();
}

void TFOptions::FormShow() {
  const QString language = FSettings.Language();
  cbLanguage->addItems(AvailableLanguages());
  if (cbLanguage->findText(language, Qt::MatchFixedString) < 0) cbLanguage->addItem(language);
  cbLanguage->setCurrentIndex(cbLanguage->findText(language, Qt::MatchFixedString));

  chAutoSave->setChecked(FSettings.AutoSave());
  seInterval->setValue(FSettings.AutoSaveInterval());
  eUndoSteps->setText(QString::number(FSettings.MaxSteps()));

  chQuickMode->setChecked(FSettings.QuickMode());
  const double snap = FSettings.Snap();
  if (!(snap > 0)) {
    cbSnap->setCurrentIndex(0);
  } else {
    int found = -1;
    for (int i = 1; i < cbSnap->count(); ++i)
      if (std::fabs(FieldNumber(cbSnap->itemText(i), 0) - snap) < 1e-9) found = i;
    if (found >= 0)
      cbSnap->setCurrentIndex(found);
    else
      cbSnap->setEditText(NumberText(snap));
  }

  chShowIcons->setChecked(FSettings.LdbIcon());
  chAlphaSort->setChecked(FSettings.LdbSort());
  seIconSize->setValue(FSettings.LdbIconSize());
  chShowLCError->setChecked(FSettings.LdbMsgError());

  eAmendmentX->setText(NumberText(FSettings.EmfScaleX()));
  eAmendmentY->setText(NumberText(FSettings.EmfScaleY()));

  cbWheel->setCurrentIndex(FSettings.Wheel());
  cbWheelCtrl->setCurrentIndex(FSettings.WheelCtrl());
  cbWheelShift->setCurrentIndex(FSettings.WheelShift());

  ePageOverlay->setText(QString::number(FSettings.PageOverlay()));
  eLineWidth->setText(NumberText(FSettings.PrintLineWidth()));
  eShiftX->setText(QString::number(FSettings.PrintShiftX()));
  eShiftY->setText(QString::number(FSettings.PrintShiftY()));
  ePdfMargins->setText(PrintMarginsText(PrintMarginsFromSettings(FSettings)));

  chOldVersion->setChecked(FSettings.ShowOldVersionMessage());
  UpdateEnabling();
}

void TFOptions::UpdateEnabling() {
  const bool autoSave = chAutoSave->isChecked();
  seInterval->setEnabled(autoSave);
  lInterval->setEnabled(autoSave);
  lMinutes->setEnabled(autoSave);

  // The icon size looks like an input field only while it applies.
  const bool icons = chShowIcons->isChecked();
  seIconSize->setEnabled(icons);
  lIconSize->setEnabled(icons);
  QPalette palette = seIconSize->palette();
  const QPalette base = this->palette();
  palette.setColor(QPalette::Base, icons ? base.color(QPalette::Active, QPalette::Base)
                                         : base.color(QPalette::Active, QPalette::Button));
  seIconSize->setPalette(palette);
}

void TFOptions::btnOKClick() {
  const QString language = cbLanguage->currentText().trimmed();
  if (!language.isEmpty() && QString::compare(language, FSettings.Language(), Qt::CaseInsensitive) != 0) {
    Ui().Message(TMsgKind::Information, windowTitle(),
                 TranslateGeneral(QStringLiteral("LanguageChanged"),
                                  QStringLiteral("Language will be changed after application restart")),
                 mbOK);
    FSettings.SetLanguage(language);
  }

  FSettings.SetAutoSave(chAutoSave->isChecked());
  FSettings.SetAutoSaveInterval(seInterval->value());
  // Text that is no number keeps a value as it was (an unreadable undo depth
  // must not turn undo off).
  FSettings.SetMaxSteps(FieldInteger(eUndoSteps->text(), FSettings.MaxSteps()));

  FSettings.SetQuickMode(chQuickMode->isChecked());
  // The first item ("(None)" in any language) is no number and turns snapping off.
  const double snap = cbSnap->currentIndex() == 0 && cbSnap->currentText() == cbSnap->itemText(0)
                          ? 0.0
                          : FieldNumber(cbSnap->currentText(), FSettings.Snap());
  FSettings.SetSnap(std::max(0.0, snap));

  FSettings.SetLdbIcon(chShowIcons->isChecked());
  FSettings.SetLdbSort(chAlphaSort->isChecked());
  FSettings.SetLdbIconSize(seIconSize->value());
  FSettings.SetLdbMsgError(chShowLCError->isChecked());

  FSettings.SetEmfScaleX(FieldNumber(eAmendmentX->text(), FSettings.EmfScaleX()));
  FSettings.SetEmfScaleY(FieldNumber(eAmendmentY->text(), FSettings.EmfScaleY()));

  FSettings.SetWheel(cbWheel->currentIndex());
  FSettings.SetWheelCtrl(cbWheelCtrl->currentIndex());
  FSettings.SetWheelShift(cbWheelShift->currentIndex());

  FSettings.SetPageOverlay(FieldInteger(ePageOverlay->text(), FSettings.PageOverlay()));
  FSettings.SetPrintLineWidth(FieldNumber(eLineWidth->text(), FSettings.PrintLineWidth()));
  FSettings.SetPrintShiftX(FieldInteger(eShiftX->text(), FSettings.PrintShiftX()));
  FSettings.SetPrintShiftY(FieldInteger(eShiftY->text(), FSettings.PrintShiftY()));
  // Text that is no margins keeps the margins as they were.
  if (QMarginsF margins; ParsePrintMargins(ePdfMargins->text(), &margins))
    FSettings.WriteText(QStringLiteral("PRINT"), QStringLiteral("MARGINS"), PrintMarginsText(margins));

  FSettings.SetShowOldVersionMessage(chOldVersion->isChecked());
  accept();
}

bool TFOptions::Execute(QWidget* parent) {
  TFOptions dialog(Settings(), parent);
  return dialog.exec() == QDialog::Accepted;
}
