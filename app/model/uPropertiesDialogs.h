// The registry of properties dialogs: model objects open their dialog by
// class name without knowing widgets; the dialog library fills the registry
// at program start (tests may register their own).
#pragma once

#include <QString>
#include <functional>

class TPrintObject;

// Runs the dialog for `object`; true when the user confirmed a change.
using TPropertiesDialog = std::function<bool(TPrintObject* object)>;

// Registers (or replaces; an empty function removes) the dialog of a class.
void RegisterPropertiesDialog(const QString& className, TPropertiesDialog dialog);
bool HasPropertiesDialog(const QString& className);
// False when no dialog is registered for the class.
bool RunPropertiesDialog(const QString& className, TPrintObject* object);
