// One running program per user: a second start hands its file names to the
// running one (over a local socket named per user) and ends; "/multi" starts
// another instance regardless.
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// Whether the arguments ask for a separate instance ("/multi", any case).
bool IsMultiInstance(const QStringList& args);
// The arguments that name files: all but the "/multi" option, made absolute
// (a second instance may run in another folder).
QStringList FileArguments(const QStringList& args);
// The message a second instance sends: each name followed by "\r".
QByteArray PackFileNames(const QStringList& names);
QStringList UnpackFileNames(const QByteArray& message);

// The server name of this user's instance (tests choose their own).
QString InstanceServerName();
void SetInstanceServerName(const QString& name);

// Sends `names` to a running instance; false when none answers.
bool HandOverToRunningInstance(const QStringList& names, int timeoutMs = 1000);
// What a start does first: unless "/multi" is given, the file arguments go to
// a running instance. True when one took them (this start then ends).
bool HandArgumentsOver(const QStringList& args);

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit TSingleInstance(QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Starts answering second instances; false when another instance holds the name.
  bool Listen();
  bool Listening() const;

 signals:
  // A second instance sent these names (in its order; none when it was
  // started without files).
  void FilesReceived(const QStringList& names);

 private:
  void Accept();

  QLocalServer* FServer;
};
