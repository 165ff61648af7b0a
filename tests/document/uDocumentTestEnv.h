// Test environment of the document: settings on a temporary file, a scripted
// user, the document's kinds, and stand-ins for the kinds other subsystems
// bring (a head, a column that holds boxes and rescales them with the scale).
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "uDocumentKinds.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uRootDataObject.h"
#include "uScratchEnvTest.h"

// A head stand-in: a block of kind 273 holding plain boxes.
class TTestHead : public TRootDataObject {
 public:
  TTestHead() { FFlags = (FFlags & ~pfDeletable) | pfInsert; }
  int GetKind() const override { return kindHead; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindObject}); }
};

// A column stand-in (kind 4) whose boxes are placed by depth: a new scale
// moves them, as the lithology and description columns do.
class TTestColumn : public TDataObject {
 public:
  int GetKind() const override { return kindDiagrams; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindObject}); }
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override {
    RescaleChildren(static_cast<double>(oldScale) / newScale);
    TDataObject::ScaleChanged(oldScale, newScale);
  }
  int GetMenuCommandCount() override { return 1; }
  void GetMenuCommandCaption(int, QString* text) override { *text = QStringLiteral("column command"); }
  bool ExecuteMenuCommand(int) override { return ++FRan > 0; }
  int FRan = 0;
};

class TDocumentTest : public TScratchEnvTest {
 protected:
  TDocumentTest() { UseScratchAsProgramDir(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterDocumentKinds();
    RegisterKind(kindHead, [] { return std::unique_ptr<TPrintObject>(new TTestHead); });
    RegisterKind(kindDiagrams, [] { return std::unique_ptr<TPrintObject>(new TTestColumn); });
  }
  void TearDown() override {
    RegisterKind(kindHead, nullptr);
    RegisterKind(kindDiagrams, nullptr);
    RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), {});
    TScratchEnvTest::TearDown();
  }
};

// Adds a block of `T` with `height` mm (a head keeps its height; a body's
// comes from a column holding one box of that height).
inline TTestHead* AddHead(TPrintDocument* document, double height, double width = 190) {
  auto head = std::make_unique<TTestHead>();
  TTestHead* h = head.get();
  document->AddChild(std::move(head));
  auto box = std::make_unique<TPrintObject>();
  box->SetBoundsRect({0, 0, width, height});
  h->AddChild(std::move(box));
  h->SetHeight(height);
  document->Changed();
  return h;
}

// A column of `body` from `left` to `right` holding a box `content` mm high.
inline TTestColumn* AddColumn(TPassportBody* body, double left, double right, double content) {
  auto column = std::make_unique<TTestColumn>();
  TTestColumn* c = column.get();
  c->SetBoundsRect({left, body->Top(), right, body->Top() + content});
  body->AddChild(std::move(column));
  if (content > 0) {
    auto box = std::make_unique<TPrintObject>();
    box->SetBoundsRect({left, body->Top(), right, body->Top() + content});
    c->AddChild(std::move(box));
  }
  body->Changed();
  return c;
}

inline TPassportBody* AddBody(TPrintDocument* document, double content, double width = 190) {
  auto body = std::make_unique<TPassportBody>();
  TPassportBody* b = body.get();
  document->AddChild(std::move(body));
  AddColumn(b, 0, width, content);
  document->Changed();
  return b;
}

inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
