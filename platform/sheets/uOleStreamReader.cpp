// clang-format off
// libgsf before Qt: Qt's "signals" keyword macro breaks glib headers.
#include <gsf/gsf.h>
#include "uOleStreamReader.h"
// clang-format on

namespace {
// Streams larger than this are refused (a damaged directory entry).
constexpr gsf_off_t kMaxStream = 512LL * 1024 * 1024;
}  // namespace

bool ReadOleStream(const QString& fileName, const char* name, std::vector<uint8_t>* bytes) {
  bytes->clear();
  GError* err = nullptr;
  const QByteArray path = fileName.toLocal8Bit();
  GsfInput* input = gsf_input_stdio_new(path.constData(), &err);
  if (err) g_clear_error(&err);
  if (!input) return false;
  GsfInfile* infile = gsf_infile_msole_new(input, &err);
  if (err) g_clear_error(&err);
  g_object_unref(input);
  if (!infile) return false;
  bool ok = false;
  GsfInput* stream = gsf_infile_child_by_name(infile, name);
  if (stream) {
    const gsf_off_t size = gsf_input_size(stream);
    if (size >= 0 && size <= kMaxStream) {
      bytes->resize(static_cast<size_t>(size));
      ok = size == 0 || gsf_input_read(stream, static_cast<size_t>(size), bytes->data()) != nullptr;
      if (!ok) bytes->clear();
    }
    g_object_unref(stream);
  }
  g_object_unref(infile);
  return ok;
}
