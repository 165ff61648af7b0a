// Registers the strips drawn along depth from table rows: the status line
// (278, inside depth tables) and the colour line (281, a body column).
#pragma once

void RegisterDepthLineKinds();
