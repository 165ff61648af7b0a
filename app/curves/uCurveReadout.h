// The values of a curve column's curves at a depth, for the status bar while
// the mouse is over the column ("GR 45.2 API   SP -31 MV").
#pragma once

#include <QString>

class TPrintObject;

// The readout for the curve column `object` is, or lies in (a curve, its
// scale header or a marker), and over a depth scale for every curve column of
// its body; empty elsewhere or when none of those curves has samples. A curve
// without a value at `depth` shows a dash.
QString CurveReadout(TPrintObject* object, double depth);
