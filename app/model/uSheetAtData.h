// Data put into a body at depths below its planned interval (layers imported
// at the well's depths into a sheet that starts at 0 m) would leave every
// page down to them empty: after an edit the user is offered to start the
// sheet at the data.
#pragma once

#include <utility>
#include <vector>

class TPassportBody;
class TPrintHeader;
class TPrintDocument;

// Each body of the document with the depth its data begin at (NaN for none).
using TBodyDataTops = std::vector<std::pair<const TPassportBody*, double>>;
TBodyDataTops BodyDataTops(const TPrintDocument& document);

// For every body that held no data before the edit (`before`) and now holds
// data only below its planned interval, asks whether the sheet should start
// at them; on Yes the interval moves there, keeping its length. True when a
// sheet moved.
bool OfferSheetsAtData(TPrintDocument* document, const TBodyDataTops& before);

// The user gave the sheet's interval in `head`'s values ("TOP_DEPTH", and
// "BOTTOM_DEPTH" or the present length): when the main body shows another,
// asks whether the sheet should show the stated one; on Yes the interval
// moves there, everything keeping its depth. A sheet whose content rules the
// move out keeps its interval and the user is told why. True when it moved.
bool OfferSheetAtStatedInterval(TPrintHeader* head);
