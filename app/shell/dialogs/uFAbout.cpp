#include "uFAbout.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "uLanguage.h"
#include "uMainActions.h"
#include "uProgramVersion.h"
#include "uSettings.h"

QString AboutText() {
  QString text = QStringLiteral("<h3>%1</h3><p>%2 %3 (%4)</p><p>%5</p>")
                     .arg(TranslateGeneral(QStringLiteral("AppName"), QStringLiteral("Kerno")).toHtmlEscaped(),
                          TranslateWord(QStringLiteral("Version")).toHtmlEscaped(), QString::fromLatin1(kVersionText),
                          QString::fromLatin1(kVersionDate),
                          TranslateGeneral(QStringLiteral("AboutText"),
                                           QStringLiteral("An editor of well documents: the printable log sheet of a "
                                                          "drill hole, with its head, depth scale and columns laid "
                                                          "out along the well's depth."))
                              .toHtmlEscaped());
  const QString newer = Settings().NewerBuildText();
  if (!newer.isEmpty()) text += QStringLiteral("<p><b>") + newer.toHtmlEscaped() + QStringLiteral("</b></p>");
  return text;
}

void ShowAbout(QWidget* parent) {
  QMessageBox box(parent);
  box.setObjectName(QStringLiteral("TFAbout"));
  box.setWindowTitle(TranslateWord(QStringLiteral("About")));
  box.setTextFormat(Qt::RichText);
  box.setText(AboutText());
  // The program's own icon, as its windows show it.
  if (const QIcon icon = ActionIcon(QStringLiteral("kerno")); !icon.isNull()) box.setIconPixmap(icon.pixmap(64, 64));
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setText(TranslateWord(QStringLiteral("OK")));
  box.exec();
}
