// Registers the model's dialogs (position, children) for EditProperties.
#pragma once

void RegisterModelDialogs();
