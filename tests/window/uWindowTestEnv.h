// Test environment of the program's windows: a program folder of its own
// (language packs, a template), settings on a temporary file in English
// without tips, a scripted user, every kind and dialog registered, and a
// server name of its own for the single instance.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <memory>

#include "uKernoChild.h"
#include "uKernoMainForm.h"
#include "uLanguage.h"
#include "uObjectFile.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uRegistration.h"
#include "uScratchEnvTest.h"
#include "uSingleInstance.h"

// Texts in assertion messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// A body 300 mm high whose columns move sideways: "Depth" 0-20 mm and
// "Depth 2" 100-120 mm; the template also offers a block to add.
inline const char kTestTemplate[] =
    "[PASSPORT]\nOBJECT1=Body_1 274\n"
    "[Body_1]\nNAME=Logs\nHEIGHT=300\nCHILDFLAGS=101\nOBJECT1=Scale_1 2\nOBJECT2=Scale_2 2\n"
    "[Scale_1]\nNAME=Depth\nLEFT=0\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=3 RIGHT=1 FONT=1\n"
    "[Scale_2]\nNAME=Depth 2\nLEFT=100\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=3 RIGHT=0 FONT=1\n"
    "[ADDBLOCK]\nOBJECT1=Extra_1 274\n[Extra_1]\nNAME=More logs\nHEIGHT=50\n";

class TWindowTest : public TScratchEnvTest {
 protected:
  TWindowTest() { UseScratchAsProgramDir(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    for (const char* pack : {"english.vox", "russian.vox"})
      ASSERT_TRUE(QFile::copy(QStringLiteral(KERNO_SOURCE_DIR "/resources/") + QString::fromLatin1(pack),
                              FDir.filePath(QString::fromLatin1(pack))));
    FSettings->SetLanguage(QStringLiteral("english"));
    FSettings->SetTipStartUp(false);
    static int serial = 0;
    SetInstanceServerName(QStringLiteral("kerno-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial));
    RegisterKinds();
    RegisterDialogs();
    ASSERT_TRUE(QDir().mkpath(FDir.filePath(QStringLiteral("template"))));
    WriteText(QStringLiteral("template/test.knt"), kTestTemplate);
  }

  void TearDown() override {
    FFrames.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    UnloadLanguage();
    TScratchEnvTest::TearDown();
    SetInstanceServerName(QString());
  }

  QString TemplatePath() const { return Path(QStringLiteral("template/test.knt")); }

  // A document file made from the test template.
  QString MakeDocument(const QString& name) const {
    TPrintDocument document;
    EXPECT_TRUE(document.LoadFromFile(TemplatePath()));
    const QString path = Path(name);
    EXPECT_TRUE(document.SaveToFile(path));
    return path;
  }

  // A started frame (not shown unless asked: the offscreen platform gives
  // shown widgets their sizes).
  TkrKernoMainForm* NewFrame(const QStringList& args = {}, bool show = true) {
    FFrames.push_back(std::make_unique<TkrKernoMainForm>());
    TkrKernoMainForm* frame = FFrames.back().get();
    EXPECT_TRUE(frame->StartUp(args));
    if (show) {
      frame->resize(1000, 800);
      frame->show();
      QCoreApplication::processEvents();
    }
    return frame;
  }

  // Lets closed windows go.
  static void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

  static void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers modifiers = {}) {
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    QCoreApplication::sendEvent(w, &event);
  }

  static QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // The document's stored form, written aside (the modified mark stays as it was).
  QByteArray StoredForm(TPrintDocument* document, const QString& name) {
    const bool modified = document->GetModified();
    EXPECT_TRUE(document->SaveToFile(Path(name)));
    document->SetModified(modified);
    return Bytes(Path(name));
  }

  std::vector<std::unique_ptr<TkrKernoMainForm>> FFrames;
};
