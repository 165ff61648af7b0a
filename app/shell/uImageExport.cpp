#include "uImageExport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "uFExportOptions.h"
#include "uLanguage.h"
#include "uObjectImage.h"
#include "uPrintObject.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

const QString kExport = QStringLiteral("EXPORT");
const QString kFolderKey = QStringLiteral("Folder");
const QString kFilterKey = QStringLiteral("Filter");
const QString kQualityKey = QStringLiteral("JpegQuality");

// The proposed name: the given one or the object's caption, in the folder of
// the last export.
QString ProposedName(TPrintObject* object, const QString& given) {
  QString name = given;
  if (name.trimmed().isEmpty()) object->GetCaption(&name);
  static const QString kNotInNames = QStringLiteral("/\\:*?\"<>|");
  for (QChar& c : name)
    if (kNotInNames.contains(c) || c < u' ') c = u'_';
  name = name.trimmed();
  if (name.isEmpty()) name = QStringLiteral("picture");
  const QString folder = Settings().ReadText(kExport, kFolderKey);
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? QDir(folder).filePath(name) : name;
}

bool MayReplace(const QString& path) {
  if (!QFileInfo::exists(path)) return true;
  const QString text = SubstituteArgs(
      TranslateConfirmText(QStringLiteral("ReplaceFile"), QStringLiteral("File %s is all ready exists. Replace?")),
      {QDir::toNativeSeparators(path)});
  return Ui().Message(TMsgKind::Question,
                      TranslateConfirmCaption(QStringLiteral("ReplaceFile"), QStringLiteral("Replace file")), text,
                      mbYes | mbNo) == TMsgResult::Yes;
}

}  // namespace

bool ExportObjectImage(TPrintObject* object, QWidget* parent, const QString& name) {
  if (!object) return false;
  TFileDialogOptions dialog;
  dialog.Title = TranslateFileTitle(QStringLiteral("image"));
  dialog.Filter = Translate(QStringLiteral("FILE"), QStringLiteral("imageMask"),
                            QStringLiteral("EMF|*.emf|BMP|*.bmp|JPG|*.jpg|PNG|*.png|SVG|*.svg|PDF|*.pdf"));
  dialog.FileName = ProposedName(object, name);
  dialog.FilterIndex = std::max(1, Settings().ReadText(kExport, kFilterKey).toInt());
  // The extension follows the chosen filter, so the question about an
  // existing file is asked here, about the name that is written.
  dialog.ConfirmOverwrite = false;
  QString chosen;
  int filter = dialog.FilterIndex;
  if (!Ui().SaveFileName(dialog, &chosen, &filter)) return false;
  const QString path = ExportFileName(chosen, filter, dialog.Filter);
  Settings().WriteText(kExport, kFolderKey, QFileInfo(path).absolutePath());
  Settings().WriteText(kExport, kFilterKey, QString::number(filter));
  // The old picture stays until the new one is complete: it is replaced, not
  // deleted first, so a failed export keeps it.
  if (!MayReplace(path)) return false;

  TImageExportOptions options;
  const TImageFormat format = ImageFormatOfPath(path);
  if (IsRasterFormat(format)) {
    TFExportOptions ask(object, format == TImageFormat::Jpg, parent);
    const int quality = Settings().ReadText(kExport, kQualityKey).toInt();
    if (quality >= 1 && quality <= 100) ask.SetQuality(quality);
    if (ask.exec() != QDialog::Accepted) return false;
    options.Scale = ask.Scale();
    options.Quality = ask.Quality();
    if (format == TImageFormat::Jpg) Settings().WriteText(kExport, kQualityKey, QString::number(options.Quality));
  }
  QString error;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = ExportObjectImageTo(path, object, options, &error);
  QApplication::restoreOverrideCursor();
  if (!written) Ui().Message(TMsgKind::Error, TranslateFileError(QStringLiteral("image"), true), error, mbOK);
  return written;
}
