#include "uClipboardCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "uClipboardText.h"
#include "uKernoChild.h"
#include "uLanguage.h"
#include "uObjectClipboard.h"
#include "uPictureDrop.h"
#include "uPrintDocument.h"
#include "uPrintObjectList.h"
#include "uUiServices.h"

namespace {

void ShowError(const QString& text) { Ui().Message(TMsgKind::Error, QString(), text, mbOK); }

QString MimeType() { return QString::fromLatin1(kObjectMimeType); }

// Puts the selection on the clipboard; false (after telling the user) when it cannot be written.
bool PutOnClipboard(TPrintObject* selected) {
  QString error;
  const QByteArray bytes = CopyObjectBytes(selected, &error);
  if (bytes.isEmpty()) {
    ShowError(error);
    return false;
  }
  auto* data = new QMimeData;
  data->setData(MimeType(), bytes);
  // Other programs get what they can use of it: a table's cells, else its caption.
  data->setText(ClipboardText(selected));
  QGuiApplication::clipboard()->setMimeData(data);
  return true;
}

// A picture from another program joins the selected head, depth table or
// curve column (or the one around the selection) at the selection's corner.
bool PastePicture(TKernoChild* child, const QImage& image) {
  TPrintObject* selected = child->Selected();
  TPrintObjectList* target = PictureTargetOf(selected);
  if (!target) {
    ShowError(
        TranslateError(QStringLiteral("PastePictureWhere"),
                       QStringLiteral("Select a head, a depth table or a curve column to paste the picture into")));
    return false;
  }
  return child->RunEdit([&] {
    QString error;
    // A selected cell of a head (or any child) holds the picture; a selected
    // block or column takes it at its corner.
    const TPrintObject* cell = selected != target ? selected : nullptr;
    if (AddPictureImageAt(target, image, selected->Left(), selected->Top(), &error, cell)) return true;
    ShowError(error);
    return false;
  });
}

}  // namespace

bool ClipboardCanPaste() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && (data->hasFormat(MimeType()) || data->hasImage());
}

bool CanCopySelected(TKernoChild* child) {
  TPrintObject* selected = child ? child->Selected() : nullptr;
  return selected && selected->Parent();
}

bool CanCutSelected(TKernoChild* child) { return CanCopySelected(child) && (child->Selected()->Flags() & pfDeletable); }

bool CopySelected(TKernoChild* child) {
  if (!CanCopySelected(child)) return false;
  return PutOnClipboard(child->Selected());
}

bool CutSelected(TKernoChild* child) {
  if (!CanCutSelected(child)) return false;
  TPrintObject* selected = child->Selected();
  return child->RunEdit([selected] {
    if (!PutOnClipboard(selected)) return false;
    // The object is on the clipboard and the cut can be undone: no question.
    return selected->Parent()->RemoveChild(selected);
  });
}

bool PasteIntoSelected(TKernoChild* child) {
  if (!child) return false;
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data && !data->hasFormat(MimeType()) && data->hasImage())
    return PastePicture(child, qvariant_cast<QImage>(data->imageData()));
  if (!data || !data->hasFormat(MimeType())) return false;
  const QByteArray bytes = data->data(MimeType());
  TPrintObject* selected = child->Selected();
  if (!selected) selected = child->Document();
  return child->RunEdit([&] {
    QString error;
    if (PasteObjectBytes(bytes, selected, &error)) return true;
    ShowError(error);
    return false;
  });
}
