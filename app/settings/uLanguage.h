// Language lookups: every text the program shows has a section, a key and an
// English default. A pack (".vox", see resources/vox-format.md) is loaded once
// at start-up; without one every lookup yields its default, so the program
// runs in English.
#pragma once

#include <QString>
#include <QStringList>

// Texts crossing the lookup are cut to this many characters (section, key,
// default and result alike), as the packs' older readers expect.
constexpr int kLanguageTextLimit = 255;

// False when the file does not exist or is not a readable pack (no sections
// or values at all). On failure the previously loaded pack stays in use.
bool LoadLanguage(const QString& path);
void UnloadLanguage();
bool LanguageLoaded();
QString LoadedLanguagePath();
// The language the program's texts are in: the loaded pack's name in lower
// case ("russian" for russian.vox); empty without a pack (the English defaults).
QString CurrentLanguage();

QString Translate(const QString& section, const QString& key, const QString& def);
QString TranslateGeneral(const QString& key, const QString& def);  // section "VOX"
QString TranslateWord(const QString& word);                        // "VOX", word, default word
QString TranslateError(const QString& key, const QString& def);    // section "ERROR"

// File dialogs of one file type with key prefix `prefix` ("hdr" for head files).
QString TranslateFileTitle(const QString& prefix);               // "FILE", prefix+"Title", "Open"
QString TranslateFileMask(const QString& prefix);                // "FILE", prefix+"Mask", "All Files|*.*"
QString TranslateFileError(const QString& prefix, bool saving);  // "FILE", prefix+"Error", ...

// A confirmation question of section "CONFIRM": key+".Caption" and key+".Text".
QString TranslateConfirmCaption(const QString& key, const QString& def);
QString TranslateConfirmText(const QString& key, const QString& def);

// The caption and hint of the "Data" menu, fetched when the pack is loaded.
QString DataMenuCaption();
QString DataMenuHint();

// Files of our own that people read (templates, their blocks) may carry a text
// per language: KEY for the English one, KEY + "." + language beside it
// ("NAME.russian"). This reads the one for CurrentLanguage(), else KEY, else `def`.
class TIniFile;
QString ReadTranslatedIni(const TIniFile& ini, const QString& section, const QString& key, const QString& def);
QString TranslatedIniKey(const QString& key, const QString& language);

// Replaces each "%s" in turn with the next argument (missing arguments: empty).
QString SubstituteArgs(const QString& text, const QStringList& args);

// The pack of the configured language: program folder + language + ".vox".
QString LanguagePackPath();
// The error shown when the pack of the configured language cannot be loaded.
QString LanguageLoadFailureText(const QString& path);
// The languages offered: the "*.vox" files of the program folder, without extension.
QStringList AvailableLanguages();
