// Test environment of the model: settings on a temporary file, a scripted
// user, and lists that hold the model's own kinds, installed for each test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "qs.h"
#include "uComPtr.h"
#include "uNewQS.h"
#include "uOpenLists.h"
#include "uScratchEnvTest.h"
#include "uStorage.h"

class TModelTest : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterOpenLists(true);
  }
  void TearDown() override {
    RegisterOpenLists(false);
    TScratchEnvTest::TearDown();
  }
};

// The whole storage tree of a list as Compound File bytes: the form undo and
// round-trip tests compare.
template <class TList>
std::vector<uint8_t> StorageBytes(TList* list) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (list->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}
