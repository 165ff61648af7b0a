#include "uPrintBitmap.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>

#include "qsID.h"
#include "uBmpImage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uPictureDecoders.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idPicture = 9216;
// The decoded copy a drawing keeps holds at most this many pixels (64 MB);
// a larger rectangle gets the copy stretched by the painter.
constexpr int64_t kMaxScaledPixels = int64_t(16) * 1024 * 1024;
// Pixels per millimetre of a newly loaded picture.
constexpr int kPixelsPerMm = 3;

}  // namespace

TPrintBitmap::TPrintBitmap() {
  FBorder = false;
  FFlags |= pfMoveX | pfMoveY | pfSizeX | pfSizeY;
}

void TPrintBitmap::GetCaption(QString* text) {
  if (text) *text = TranslateWord(QStringLiteral("Bitmap"));
}

void TPrintBitmap::Draw(TDrawContext& context) {
  TPrintObject::Draw(context);
  const TRect r = GetPixelRect(context);
  if (FPictureSize.isEmpty() || !context.DC || !context.Has(doBorders) || r.IsEmpty() ||
      !r.Intersects(context.ClipRect))
    return;
  // Never more pixels than the picture has: the painter stretches the rest.
  const QSize wanted = FitPixels(
      QSize(std::min(r.Width(), FPictureSize.width()), std::min(r.Height(), FPictureSize.height())), kMaxScaledPixels);
  if (FScaled.size() != wanted) FScaled = DecodeBmp(FPicture, wanted);
  if (FScaled.isNull()) return;
  context.DC->drawImage(ToQRect(r), FScaled);
  // Frames and selection marks lie on top of the picture.
  TPrintObject::Draw(context);
}

bool TPrintBitmap::EditProperties() {
  TFileDialogOptions options;
  options.Title = TranslateFileTitle(QStringLiteral("Picture"));
  options.Filter = PictureFileFilter();
  QString path;
  int filter = 1;
  if (!Ui().OpenFileName(options, &path, &filter)) return false;
  QString error;
  if (LoadPictureFile(path, &error)) return true;
  // Nothing changed: a new picture is not added empty.
  Ui().Message(TMsgKind::Error, Caption(), ErrorText(error) + QStringLiteral("\n") + path, mbOK);
  return false;
}

bool TPrintBitmap::LoadPictureFile(const QString& path, QString* error) {
  TDecodedPicture picture;
  return LoadPictureBytes(path, &picture, error) && TakePicture(std::move(picture));
}

bool TPrintBitmap::LoadPictureImage(const QImage& image, QString* error) {
  TDecodedPicture picture;
  return DecodeImage(image, kMaxPicturePixels, &picture, error) && TakePicture(std::move(picture));
}

bool TPrintBitmap::TakePicture(TDecodedPicture picture) {
  FPicture = std::move(picture.Bmp);
  PictureChanged();
  SetWidth(picture.SourceSize.width() / kPixelsPerMm);
  SetHeight(picture.SourceSize.height() / kPixelsPerMm);
  SetModified(true);
  Changed();
  Invalidate(this);
  return true;
}

bool TPrintBitmap::SetPicture(const QByteArray& bmp) {
  if (!ParseBmp(bmp, nullptr, nullptr)) return false;
  FPicture = bmp;
  PictureChanged();
  SetModified(true);
  return true;
}

void TPrintBitmap::ClearPicture() {
  FPicture.clear();
  PictureChanged();
  SetModified(true);
}

void TPrintBitmap::PictureChanged() {
  TBmpInfo info;
  FPictureSize = ParseBmp(FPicture, &info, nullptr) ? QSize(info.Width, info.Height) : QSize();
  FScaled = QImage();
}

bool TPrintBitmap::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  FPicture.clear();
  TCompoundEntry entry{};
  // Whatever the bytes are, they are kept as loaded: a picture this program
  // cannot read is drawn as none and saved unchanged.
  if (stream->GetEntry(idPicture, &entry) == S_OK && entry.Tag == qsBinary && entry.Size > 0)
    FPicture = QByteArray(static_cast<const char*>(entry.Data), static_cast<qsizetype>(entry.Size));
  PictureChanged();
  return true;
}

bool TPrintBitmap::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  if (!FPicture.isEmpty()) stream->WriteBuffer(idPicture, FPicture.constData(), static_cast<int32_t>(FPicture.size()));
  return true;
}

void TPrintBitmap::DumpProperties(QJsonObject* json) const {
  TPrintObject::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("pictureBytes")] = static_cast<qint64>(FPicture.size());
  (*json)[QStringLiteral("pictureWidth")] = FPictureSize.width();
  (*json)[QStringLiteral("pictureHeight")] = FPictureSize.height();
}

bool TPrintBitmap::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::LoadFromIni(ini, section, prefix)) return false;
  FPictureFile = ini->ReadString(section, prefix + QStringLiteral("PICTURE"), QString()).trimmed();
  if (FPictureFile.isEmpty()) return true;
  const QString path = QDir(QFileInfo(ini->FileName()).absolutePath()).absoluteFilePath(FPictureFile);
  TDecodedPicture picture;
  QString error;
  if (LoadPictureBytes(path, &picture, &error)) {
    FPicture = std::move(picture.Bmp);
    PictureChanged();
  } else {
    Ui().Message(TMsgKind::Error, Caption(), ErrorText(error) + QStringLiteral("\n") + path, mbOK);
  }
  return true;
}

bool TPrintBitmap::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintObject::SaveToIni(ini, section, prefix)) return false;
  if (!FPictureFile.isEmpty()) ini->WriteString(section, prefix + QStringLiteral("PICTURE"), FPictureFile);
  return true;
}

QString TPrintBitmap::PictureFileFilter() {
  return TranslateGeneral(
      QStringLiteral("PictureFilter"),
      QStringLiteral("Supported files (BMP, JPEG, PNG, TIFF)|*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff"));
}

QString TPrintBitmap::ErrorText(const QString& key) {
  static const struct {
    const char* Key;
    const char* Text;
  } kTexts[] = {
      {"BmpNotBitmap", "The file is not a BMP picture"},
      {"BmpDamaged", "The BMP picture is damaged"},
      {"BmpUnsupported", "This kind of BMP picture is not supported"},
      {"PictureEmpty", "The picture has no pixels"},
      {"PictureTooLarge", "The picture is too large"},
      {"PictureDamaged", "The picture is damaged"},
      {"PictureUnknownType", "Only BMP, JPEG, PNG and TIFF pictures can be loaded"},
      {"CantLoadFile", "Can't Load File"},
  };
  for (const auto& t : kTexts)
    if (key == QLatin1String(t.Key)) return TranslateError(key, QLatin1String(t.Text));
  return TranslateError(key, key);
}
