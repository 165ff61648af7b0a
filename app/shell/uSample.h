// The sample document shipped in resources/samples, the document the program
// opens on: a well log sheet made from the shipped template "well_log.knt"
// with the values of a made-up well filled in, its body set to the logged
// interval, and the template's conclusions and remarks head added below
// ("Kerno --make-sample OUT" writes it).
#pragma once

#include <QString>
#include <memory>

class TPrintDocument;

// The template the sample is made from, in the program's template folder.
inline constexpr char kSampleTemplate[] = "well_log.knt";

// Null (and `error`) when the template or its head files cannot be found.
std::unique_ptr<TPrintDocument> MakeSampleDocument(QString* error = nullptr);
