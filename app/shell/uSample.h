// The sample document shipped in resources/samples: a list with a few child
// objects of the model's own kinds ("Kerno --make-sample OUT" writes it).
#pragma once

#include <memory>

class TPrintObjectList;

std::unique_ptr<TPrintObjectList> MakeSampleDocument();
