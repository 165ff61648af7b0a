// The picture the template selection shows beside a template: its top as the
// page prints it, in shades of grey ("well_log.bmp" beside "well_log.knt").
// Drawn for the shipped templates when they are made and for the templates
// users save from their documents.
#pragma once

#include <QImage>
#include <QString>

class TPrintDocument;

inline constexpr int kTemplatePictureSize = 120;

// The picture that belongs to a template file ("well_log.knt" -> "well_log.bmp").
QString TemplatePictureFile(const QString& templateFile);
// The document's top 190 mm square, kTemplatePictureSize pixels square.
QImage RenderTemplatePicture(TPrintDocument* document);
// Writes `picture` as a BMP file, replacing `path` only once complete.
bool WriteTemplatePicture(const QString& path, const QImage& picture);
