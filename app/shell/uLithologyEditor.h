// The lithology sign database editor of the sign library, opened by the
// Service > Database command. The sign library does not offer its editor
// yet: until it does, the command stays disabled and says why.
#pragma once

#include <QString>

class QWidget;

bool LithologyEditorAvailable();
// Why the command is disabled (its tooltip), empty when it is available.
QString LithologyEditorUnavailableText();
// Opens the editor with the caption TranslateGeneral("LDBEdit", "Database").
void OpenLithologyEditor(QWidget* parent);
