// What every subsystem registers at program start: its object kinds (for
// loading and creating objects) and, with a display, its dialogs.
#pragma once

void RegisterKinds();
void RegisterDialogs();
