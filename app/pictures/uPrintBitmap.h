// The image (kind 284): a raster picture stretched into its rectangle. The
// document keeps the picture as the BMP file image it stores, byte for byte;
// drawing decodes it into a copy of the size drawn, kept until the size
// changes, so repaints at one zoom neither decode nor stretch the whole image.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include "uPictureDecoders.h"
#include "uPrintObject.h"

class TPrintBitmap : public TPrintObject {
 public:
  TPrintBitmap();

  int GetKind() const override { return kindImage; }
  void GetCaption(QString* text) override;
  void Draw(TDrawContext& context) override;
  // Asks for a picture file; true when one was loaded, false when cancelled
  // or refused (the reason is shown; the picture stays as it was).
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;
  // Base keys, then prefix + "PICTURE": a picture file (beside the INI file
  // unless absolute) loaded into the rectangle the keys give.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // The file named by "PICTURE" (templates); empty otherwise.
  QString PictureFile() const { return FPictureFile; }
  void SetPictureFile(const QString& name) { FPictureFile = name; }

  // Loads a BMP, JPEG, PNG or TIFF file (by its extension) as the picture and
  // sizes the object at 3 pixels per millimetre of the file's own picture.
  // False with a key of section "ERROR" in `error`; the picture stays as it was.
  bool LoadPictureFile(const QString& path, QString* error = nullptr);
  // The same for an image in memory (a pasted one).
  bool LoadPictureImage(const QImage& image, QString* error = nullptr);
  // The stored BMP file image (empty: no picture).
  const QByteArray& Picture() const { return FPicture; }
  // Replaces the picture by a BMP file image; false (nothing changes) when
  // ParseBmp refuses it.
  bool SetPicture(const QByteArray& bmp);
  void ClearPicture();
  // The picture's size in pixels; empty without a picture or when the
  // stored bytes are not a picture this program reads (drawn as none).
  QSize PictureSize() const { return FPictureSize; }
  // The decoded copy the last drawing used (tests and benchmarks).
  QSize ScaledCopySize() const { return FScaled.size(); }

  // The file dialog's filter of picture files.
  static QString PictureFileFilter();
  // The language text of a picture loading failure key.
  static QString ErrorText(const QString& key);

 private:
  // Makes a decoded picture this object's, sized at 3 pixels per millimetre.
  bool TakePicture(TDecodedPicture picture);
  void PictureChanged();

  QByteArray FPicture;
  QString FPictureFile;
  QSize FPictureSize;
  QImage FScaled;
};
