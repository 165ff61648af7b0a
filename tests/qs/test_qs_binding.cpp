// Other modules bind the library by name and call its objects through the
// interface tables: check both against the slot order they rely on.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "qs.h"
#include "uMemoryStream.h"

namespace {
// Slot `index` of the interface table of `object`, as a plain function taking the object first.
template <class F>
F Slot(void* object, int index) {
  return reinterpret_cast<F>((*static_cast<void***>(object))[index]);
}
}  // namespace

TEST(QsBinding, ExportsByNameAndInterfaceSlots) {
  void* lib = dlopen(KERNO_PROGRAM_DIR "/libqs.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const char* name :
       {"qsCreateCompoundStream", "qsCreateFromStream", "qsSaveToStream", "qsGetSize", "qsWriteCompoundStream",
        "qsReadCompoundStream", "qsCopy", "qsCreateFromFile", "qsSaveToFile", "qsReadStream", "qsIsCompoundStream",
        "SaveStreamToFile", "CreateStreamFromFile", "LoadStreamFromFile", "qsEmptyCompoundStream"})
    EXPECT_NE(dlsym(lib, name), nullptr) << name;
  auto create = reinterpret_cast<void (*)(void**)>(dlsym(lib, "qsCreateCompoundStream"));
  auto save = reinterpret_cast<HRESULT (*)(void*, IStream*)>(dlsym(lib, "qsSaveToStream"));
  ASSERT_TRUE(create && save);

  void* s = nullptr;
  create(&s);
  ASSERT_NE(s, nullptr);
  using TQuery = HRESULT (*)(void*, const GUID&, void**);
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, int32_t)>(s, 4)(s, 10, 42), S_OK);    // WriteInteger
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, double)>(s, 12)(s, 11, 2.75), S_OK);  // WriteDouble
  int32_t i = 0;
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, int32_t, int32_t, int32_t*)>(s, 3)(s, 10, 0, 0, &i), S_OK);
  EXPECT_EQ(i, 42);
  double d = 0;
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, int32_t, double, double*)>(s, 11)(s, 11, 0, 0.0, &d), S_OK);
  EXPECT_EQ(d, 2.75);
  TCompoundEntry entry{};
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, TCompoundEntry*)>(s, 14)(s, 10, &entry), S_OK);  // GetEntry
  EXPECT_EQ(entry.Size, 4u);

  void *s2 = nullptr, *persist = nullptr, *entries = nullptr;
  ASSERT_EQ(Slot<TQuery>(s, 0)(s, IID_ICompoundStream2, &s2), S_OK);
  ASSERT_EQ(Slot<TQuery>(s, 0)(s, IID_IPersistStream, &persist), S_OK);
  ASSERT_EQ(Slot<TQuery>(s, 0)(s, IID_IEnumEntries, &entries), S_OK);
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, const char*, int32_t)>(s2, 16)(s2, 13, "long", 4), S_OK);
  uint32_t length = 0;
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, char*, uint32_t*)>(s2, 15)(s2, 13, nullptr, &length), S_OK);
  EXPECT_EQ(length, 4u);
  uint64_t size = 0;
  EXPECT_EQ(Slot<HRESULT (*)(void*, uint64_t*)>(persist, 7)(persist, &size), S_OK);  // GetSizeMax
  EXPECT_EQ(size, 16u + 3 * 16 + 4 + 8 + 4);
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t)>(entries, 4)(entries, 1), S_OK);  // Skip
  EXPECT_EQ(Slot<HRESULT (*)(void*, int32_t, TCompoundEntry*, int32_t*)>(entries, 3)(entries, 1, &entry, nullptr),
            S_OK);  // Next
  EXPECT_EQ(entry.ID, 11);

  TComPtr<IStream> memory;
  CreateMemoryStream(memory.Put());
  EXPECT_EQ(Slot<HRESULT (*)(void*)>(persist, 4)(persist), S_OK);  // IsDirty
  ASSERT_EQ(save(s, memory.Get()), S_OK);
  EXPECT_EQ(Slot<HRESULT (*)(void*)>(persist, 4)(persist), S_FALSE);

  using TCount = uint32_t (*)(void*);
  EXPECT_EQ(Slot<TCount>(s, 1)(s), 5u);  // AddRef
  for (void* p : {s, s2, persist, entries}) Slot<TCount>(p, 2)(p);
  EXPECT_EQ(Slot<TCount>(s, 2)(s), 0u);
  dlclose(lib);
}
