// Private-profile INI files: sections and keys matched without regard to case,
// every value read from the file at each access (two objects on one file never
// disagree), every change written through at once. A write replaces only the
// line it concerns: comments, blank lines, unknown keys and their order stay
// exactly as they were. Files are UTF-8; a UTF-8 BOM is accepted (and kept),
// a file that is not valid UTF-8 is read as Windows-1251 (and rewritten as
// UTF-8 on the next change). Saves go through a temporary file and a rename.
//
// Our own line editor rather than SimpleIni: SimpleIni saves by regenerating
// the whole file from its parsed model, which drops comments after the last
// value, lines without "=" and the blank-line layout, and rewrites "k = v".
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class TIniFile {
 public:
  explicit TIniFile(const QString& fileName);

  // A missing section or key gives `def`; a key present with an empty value gives "".
  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  // Leading decimal digits (optionally signed) or a "0x" hex number; anything else gives `def`.
  int ReadInteger(const QString& section, const QString& key, int def) const;
  // "1"/"0" as written by WriteBool; "true"/"yes"/"false"/"no" too; other numbers: non-zero is true.
  bool ReadBool(const QString& section, const QString& key, bool def) const;
  // The tolerant number reader ("0,25" is 0.25; "abc" gives `def`).
  double ReadFloat(const QString& section, const QString& key, double def) const;

  // False when the file cannot be written or the text cannot be stored on one
  // line (line breaks anywhere, "=" in a key, "]" in a section, empty names).
  bool WriteString(const QString& section, const QString& key, const QString& value);
  bool WriteInteger(const QString& section, const QString& key, int value);
  bool WriteBool(const QString& section, const QString& key, bool value);
  bool WriteFloat(const QString& section, const QString& key, double value);  // general form

  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;
  QStringList ReadSections() const;                       // in file order, each name once
  QStringList ReadSection(const QString& section) const;  // the keys of a section, in file order
  bool EraseSection(const QString& section);              // every section of that name with its lines
  bool DeleteKey(const QString& section, const QString& key);

  QString FileName() const { return FFileName; }

  // Bulk work on a whole file nobody else changes meanwhile (head files,
  // templates): the content is read once (or starts empty with `fresh`) and
  // held in memory; reads answer from it and writes change only it. CommitBulk
  // then writes the file once, through a temporary file (false when it cannot
  // be written: the file stays as it was); CancelBulk drops the changes.
  void BeginBulk(bool fresh = false);
  bool CommitBulk();
  void CancelBulk();
  bool InBulk() const { return FBulk; }

  // One line of the file as parsed (public for the implementation's helpers).
  struct TLine {
    enum TKind { Other, Section, Key } Kind = Other;
    QString Text;   // the line as in the file (without its line break)
    QString Name;   // section or key name, trimmed
    QString Value;  // key value, trimmed
  };

 private:
  struct TContent {
    std::vector<TLine> Lines;
    bool Bom = false;
    bool CrLf = false;
  };
  // The current content of the file (parsed again only when the bytes changed).
  const TContent& Content() const;
  // Makes `content` the file's content: written at once, or held until
  // CommitBulk during bulk work.
  bool Save(const TContent& content);
  bool WriteFile(const TContent& content);
  // The content to change, or nullptr when the file exists but cannot be read
  // (writing then would replace what we could not see).
  const TContent* ContentToChange() const;
  // Index of the first section header named `section`, or -1; *end receives
  // the index after its last line.
  static int FindSection(const TContent& content, const QString& section, int* end);
  static int FindKey(const TContent& content, int first, int end, const QString& key);
  // The same look-ups on the current content through an index built once per
  // content: reading a file of many sections key by key stays linear.
  int LookupSection(const QString& section, int* end) const;
  int LookupKey(int header, const QString& key) const;
  void BuildIndex() const;

  QString FFileName;
  mutable QByteArray FRaw;
  mutable bool FLoaded = false;
  mutable bool FUnreadable = false;  // the file exists but could not be read
  mutable TContent FContent;
  bool FBulk = false;
  bool FBulkFresh = false;
  bool FBulkChanged = false;
  // Index of FContent: case-folded section name -> first header and the line
  // after its section; (header, case-folded key) -> first line of that key.
  mutable bool FIndexed = false;
  mutable QHash<QString, std::pair<int, int>> FSections;
  mutable QHash<std::pair<int, QString>, int> FKeys;
};
