// Installs the picture dialogs in the properties-dialog registry: the vector
// graphic's command table editor.
#pragma once

void RegisterPictureDialogs();
