// The sample document shipped in resources/samples, the document the program
// opens on: a well log sheet made from the shipped template "well_log.knt"
// with the values of a made-up well (uSampleWell.h) in its heads, a head of
// column titles, and a body over the described interval holding a column of
// every kind the program draws along depth: stages, depth scale, lithology
// with a saturation line, two curve tracks filled from the shipped sample LAS
// file ("samples/curve_log_sample.las" in the program folder), core runs and
// rock descriptions; the template's conclusions and remarks head closes it
// ("Kerno --make-sample OUT" writes it).
#pragma once

#include <QString>
#include <memory>

class TPrintDocument;

// The template the sample is made from, in the program's template folder.
inline constexpr char kSampleTemplate[] = "well_log.knt";

// Null (and `error`) when the template, its head files, the sign database or
// the sample LAS file cannot be found.
std::unique_ptr<TPrintDocument> MakeSampleDocument(QString* error = nullptr);
