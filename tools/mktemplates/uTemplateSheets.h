// The templates shipped in resources/template, the sheets a geologist starts
// from: a well log sheet at 1:200, a lithology log at 1:100 and a curve log at
// 1:500. Each is a ".knt" file holding a head loaded from a shipped head file
// (one per language), a body with a depth scale and framed room for the
// columns still to come (the curve log: three curve columns whose curves are
// named after the common LAS mnemonics, for --fill), blocks to add later ("ADDBLOCK": a detailed body, a
// remarks head) and its name and description in English and Russian
// ("TEMPLATE"). Beside each lies a picture of its top for the template
// selection ("well_log.bmp" beside "well_log.knt"), drawn from the template, and the
// logo placeholder of the well log sheet's head ("logo.bmp").
#pragma once

#include <QString>
#include <QStringList>

#include "uTemplatePicture.h"

// The template files, in the order they are written.
QStringList TemplateSheetFiles();
// The logo placeholder the well log sheet's head shows, beside the templates.
QString TemplateLogoFile();

// Writes every template and its picture into `folder` (the program's template
// folder); the head files the templates name are taken from the folder "hdr"
// beside it. False (and `error`) at the first failure.
bool WriteTemplateSheets(const QString& folder, QString* error);
