// Translation of widgets by their object names: the main menu, the main
// action list, the tool bars and a dialog's own action list.
#pragma once

#include <QList>
#include <QString>

class QAction;
class QDialogButtonBox;
class QMainWindow;
class QMenu;
class QMenuBar;

// The key of a menu item or tool bar: its name without the two-letter kind
// prefix ("miFile" -> "File", "tbStandard" -> "Standard").
QString StripControlPrefix(const QString& name);

// Each top-level menu named n+2 letters ("miFile"): title = "MENU"/n, hint =
// "MENU"/n+"Hint" (default n + " operations"). The name is the menu's object
// name (or, when empty, its action's).
void TranslateMainMenu(QMenuBar* menuBar);
// Each named action a: text = "MENU"/a, hint = "MENU"/a+"Hint" with its current hint as default.
void TranslateActionList(const QList<QAction*>& actions);
// A dialog's own actions in section `section`: a+".Text" and a+".Hint".
void TranslateDialogActions(const QString& section, const QList<QAction*>& actions);
// Each named tool bar of `window`: its title = "TOOLBAR"/t (default t without
// its prefix), and a checkable entry in `toolBarMenu` that shows and hides it.
// Entries added by an earlier call are replaced. Returns the entries.
QList<QAction*> TranslateToolBars(QMainWindow* window, QMenu* toolBarMenu);
// The standard buttons of a box through TranslateWord ("OK", "Cancel", "Help", ...).
void TranslateButtonBox(QDialogButtonBox* box);
// Qt's own dialogs (files, printing, colours, the print preview) in the
// language of the loaded pack ("VOX"/"LanguageCode"), when Qt's translation
// into it is installed; English otherwise. Replaces an earlier call's.
// Returns whether a translation was installed.
bool InstallQtTranslation();
