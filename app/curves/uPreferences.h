// The profile store: named sets of an object kind's settings that a user
// keeps for reuse, in "preferences.ini" of the program folder. Section
// "PROFILE" counts the profiles of each kind under the kind's name; profile n
// (from 1) of a kind is the section kind name + n ("DeepScale1", ...) with its
// name under "PROFILE.NAME" and the kind's settings beside it.
#pragma once

#include <QString>
#include <QStringList>

#include "uIniFile.h"

// Where the program keeps a settings file `name` of its folder that the user
// changes ("preferences.ini", "kerno.ini"): the program folder, or the user's
// configuration folder for an installed copy, where it starts as a copy of
// the file shipped in the program folder.
QString UserProgramFile(const QString& name);

class TPreferences {
 public:
  // The store on `fileName`, by default the program's "preferences.ini".
  explicit TPreferences(const QString& fileName = DefaultFileName());

  // "preferences.ini" where the program may write it: the program folder, or
  // the user's configuration folder for an installed copy (seeded from the
  // program folder's file the first time).
  static QString DefaultFileName();

  QString FileName() const { return FIni.FileName(); }
  // Whether the file exists; without it the store holds no profiles.
  bool Exists() const;

  // Profiles of an object kind, named by the kind's table name ("DeepScale"
  // for kind 2). A stored count is trusted only as far as the file has
  // sections for it.
  int Count(int kind) const;
  // The section of profile `index` (from 0); empty outside 0..Count-1.
  QString SectionName(int kind, int index) const;
  QString ProfileName(int kind, int index) const;
  QStringList ProfileNames(int kind) const;

  // The section of the profile called `name` (the last one when several
  // share it; names compare case-sensitively); without one a profile is
  // added. An empty name gives an empty section. Saving a profile makes the
  // file when there is none yet.
  QString FindOrAdd(int kind, const QString& name);
  // Removes profile `index`: every later profile moves one section down, the
  // last section goes and the count drops by one. False outside 0..Count-1.
  bool Delete(int kind, int index);

  TIniFile& Ini() { return FIni; }
  const TIniFile& Ini() const { return FIni; }

 private:
  static QString Prefix(int kind);
  TIniFile FIni;
};
