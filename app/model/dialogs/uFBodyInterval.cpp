#include "uFBodyInterval.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPassportBody.h"
#include "uPrintDeepObject.h"
#include "uUiServices.h"

namespace {

QString Word(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromLatin1(def));
}

QLineEdit* Edit(const char* name, double depth, QWidget* parent) {
  auto* edit = new QLineEdit(DepthText(depth), parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

}  // namespace

TFBodyInterval::TFBodyInterval(TPassportBody* body, QWidget* parent) : QDialog(parent), FBody(body) {
  setObjectName(QStringLiteral("TFBodyInterval"));
  setWindowTitle(Word("DepthInterval", "Depth interval") + QStringLiteral(": ") + body->Caption());
  sFrom = Edit("sFrom", body->GetStartDepth(), this);
  sTo = Edit("sTo", body->BottomDepth(), this);
  auto* note = new QLabel(Word("DepthIntervalNote",
                               "The sheet shows at least this interval; data of its columns reaching deeper "
                               "lengthen it."),
                          this);
  note->setWordWrap(true);
  auto* form = new QFormLayout();
  form->addRow(Word("From", "From") + QStringLiteral(", ") + Word("MetresShort", "m"), sFrom);
  form->addRow(Word("To", "To") + QStringLiteral(", ") + Word("MetresShort", "m"), sTo);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("common/body"));
  connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

void TFBodyInterval::btnOKClick() {
  const double from = FieldNumber(sFrom->text(), std::numeric_limits<double>::quiet_NaN());
  const double to = FieldNumber(sTo->text(), std::numeric_limits<double>::quiet_NaN());
  QLineEdit* wrong = nullptr;
  QString text;
  if (!std::isfinite(from)) {
    wrong = sFrom;
    text = NotADepthText(sFrom->text());
  } else if (!std::isfinite(to)) {
    wrong = sTo;
    text = NotADepthText(sTo->text());
  } else if (!(to > from)) {
    wrong = sTo;
    text = SubstituteArgs(TranslateError(QStringLiteral("TextIntervalOrder"),
                                         QStringLiteral("The bottom depth (%s m) must lie below the top depth (%s m)")),
                          {DepthText(to), DepthText(from)});
  } else if (const QString why = FBody->StartDepthRefusal(from); !why.isEmpty()) {
    wrong = sFrom;
    text = why;
  } else if (to - from > kMaxIntervalLength) {
    wrong = sTo;
    text = SubstituteArgs(TranslateError(QStringLiteral("IntervalTooLong"),
                                         QStringLiteral("An interval of %s m is longer than a sheet can show (at "
                                                        "most %s m)")),
                          {DepthText(to - from), DepthText(kMaxIntervalLength)});
  }
  if (wrong) {
    Ui().Message(TMsgKind::Error, windowTitle(), text, mbOK);
    wrong->setFocus();
    wrong->selectAll();
    return;
  }
  FBody->SetDepthInterval(from, to);
  // Data below the bottom asked for keep the sheet longer: say so, rather
  // than leave the user wondering why the bottom did not move.
  const double bottom = FBody->BottomDepth();
  if (bottom > to + 1e-6)
    Ui().Message(TMsgKind::Information, windowTitle(),
                 SubstituteArgs(TranslateGeneral(QStringLiteral("DepthIntervalLonger"),
                                                 QStringLiteral("The columns hold data down to %s m: the sheet "
                                                                "reaches there.")),
                                {DepthText(bottom)}),
                 mbOK);
  accept();
}

bool TFBodyInterval::Execute(TPrintObject* object) {
  auto* body = dynamic_cast<TPassportBody*>(object);
  if (!body) return false;
  TFBodyInterval dialog(body);
  return dialog.exec() == QDialog::Accepted;
}
