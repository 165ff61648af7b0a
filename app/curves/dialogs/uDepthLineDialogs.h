// Installs the dialogs of the status line and the colour line in the
// properties-dialog registry.
#pragma once

void RegisterDepthLineDialogs();
