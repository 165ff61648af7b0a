// The OK/Cancel row every dialog ends with: translated captions, the object
// names "btnOK"/"btnCancel" that tests and scripts find them by, OK as default.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;

// A box with the standard Ok and Cancel buttons, owned by `owner`; the caller
// connects accepted/rejected (or the buttons) itself. With a help topic the
// row also has a Help button ("btnHelp") that opens the topic.
QDialogButtonBox* NewOkCancelButtons(QDialog* owner, const QString& helpTopic = {});
