// Writes the seed corpus of fuzz_qs_load: a few small valid compound streams
// made through the library itself, so the seeds follow the format exactly.
//   make_qs_seeds OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "qs.h"
#include "uComPtr.h"
#include "uShortString.h"

namespace {
TComPtr<ICompoundStream> NewStream() {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  return s;
}

bool Write(const std::string& folder, const char* name, ICompoundStream* stream) {
  const std::string path = folder + "/" + name;
  if (Failed(qsSaveToFile(path.c_str(), stream))) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = true;

  TComPtr<ICompoundStream> empty = NewStream();
  ok &= Write(folder, "empty", empty.Get());

  // One value of each kind, a Boolean as Integer, a Cyrillic (Windows-1251) text.
  TComPtr<ICompoundStream> values = NewStream();
  values->WriteInteger(1, 42);
  values->WriteInteger(2, 1);
  values->WriteDouble(3, 2.5);
  values->WriteShortString(4, MakeShortString("Sandstone"));
  const char cyrillic[] = "\xCA\xE2\xE0\xF0\xF6";
  TComPtr<ICompoundStream2> values2 = values.As<ICompoundStream2>(IID_ICompoundStream2);
  values2->WriteString(5, cyrillic, static_cast<int32_t>(sizeof cyrillic - 1));
  const unsigned char blob[] = {0, 1, 2, 3, 0xFF, 0xFE};
  values->WriteBuffer(-7, blob, sizeof blob);
  values->WriteDouble(1000000, -1e300);
  ok &= Write(folder, "values", values.Get());

  // A child stream inside a Binary value, a grandchild inside that.
  TComPtr<ICompoundStream> grandchild = NewStream();
  grandchild->WriteInteger(1, -1);
  TComPtr<ICompoundStream> child = NewStream();
  child->WriteShortString(1, MakeShortString("child"));
  qsWriteCompoundStream(child.Get(), 2, grandchild.Get());
  TComPtr<ICompoundStream> nested = NewStream();
  nested->WriteInteger(0, 3);
  qsWriteCompoundStream(nested.Get(), 10, child.Get());
  ok &= Write(folder, "nested", nested.Get());

  // A deleted value stays in the table as an empty entry; empty values.
  TComPtr<ICompoundStream> deleted = NewStream();
  deleted->WriteInteger(1, 5);
  deleted->WriteInteger(2, 6);
  deleted->DeleteValue(1);
  TComPtr<ICompoundStream2> deleted2 = deleted.As<ICompoundStream2>(IID_ICompoundStream2);
  deleted2->WriteString(3, "", 0);
  deleted->WriteBuffer(4, blob, 0);
  ok &= Write(folder, "deleted", deleted.Get());

  return ok ? 0 : 1;
}
