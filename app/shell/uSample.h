// The sample document shipped in resources/samples: a page-sized list
// ("Kerno --make-sample OUT" writes it).
#pragma once

#include <memory>

class TPrintObjectList;

std::unique_ptr<TPrintObjectList> MakeSampleDocument();
