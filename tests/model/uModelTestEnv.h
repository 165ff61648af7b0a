// Test environment of the model: settings on a temporary file, a scripted
// user, and lists that hold the model's own kinds, installed for each test.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "qs.h"
#include "uComPtr.h"
#include "uOpenLists.h"
#include "uScriptedUi.h"
#include "uSettings.h"
#include "uStorage.h"

class TModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    FSettings = std::make_unique<TSettings>(FDir.filePath("Kerno.ini"));
    SetSettings(FSettings.get());
    SetUiServices(&FUi);
    RegisterOpenLists(true);
  }
  void TearDown() override {
    RegisterOpenLists(false);
    SetUiServices(nullptr);
    SetSettings(nullptr);
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }

  QTemporaryDir FDir;
  std::unique_ptr<TSettings> FSettings;
  TScriptedUi FUi;
};

// A fresh compound stream.
inline TComPtr<ICompoundStream> NewQS() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  return qs;
}

// The whole storage tree of a list as Compound File bytes: the form undo and
// round-trip tests compare.
template <class TList>
std::vector<uint8_t> StorageBytes(TList* list) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (list->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}
