// The built program run from its command line, as a script would run it, for
// the tests of its commands (dump, resave, export, convert).
// Header only, over Qt Core; KERNO_PROGRAM_DIR comes from kerno_add_test.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

struct TKernoRun {
  int Status = -1;  // the exit code; -1 when it did not finish within a minute, -2 when it crashed
  QByteArray Out;
  QByteArray Err;
};

// Runs Kerno with `args`. `withoutDisplay` takes DISPLAY and QT_QPA_PLATFORM
// out of its environment, for commands that must not need a display.
inline TKernoRun RunKerno(const QStringList& args, bool withoutDisplay = false) {
  QProcess p;
  p.setProgram(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"));
  p.setArguments(args);
  if (withoutDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
  }
  p.start();
  TKernoRun r;
  if (!p.waitForFinished(60000)) return r;
  r.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.Out = p.readAllStandardOutput();
  r.Err = p.readAllStandardError();
  return r;
}

// For runs that change the program's own settings (a document from a newer
// program records that build in the program folder's Kerno.ini): the file
// is put back as it was when the scope ends, so that the program a user
// starts from this build afterwards is not told of a made-up version.
class TProgramSettingsKept {
 public:
  TProgramSettingsKept() : FFile(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno.ini")) {
    FExisted = FFile.open(QIODevice::ReadOnly);
    if (FExisted) FBytes = FFile.readAll();
    FFile.close();
  }
  ~TProgramSettingsKept() {
    if (!FExisted) {
      FFile.remove();
    } else if (FFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      FFile.write(FBytes);
      FFile.close();
    }
  }
  TProgramSettingsKept(const TProgramSettingsKept&) = delete;
  TProgramSettingsKept& operator=(const TProgramSettingsKept&) = delete;

 private:
  QFile FFile;
  QByteArray FBytes;
  bool FExisted = false;
};

// What Kerno writes to its standard output for `args`; a run that does not
// end with exit code 0 fails the test, showing what Kerno wrote to stderr.
inline QByteArray KernoOutput(const QStringList& args) {
  const TKernoRun run = RunKerno(args);
  EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
  return run.Out;
}
