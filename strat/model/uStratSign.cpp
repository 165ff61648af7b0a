#include "uStratSign.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "uEmfDocument.h"
#include "uSignTileCache.h"
#include "uStratBytes.h"
#include "uStratDraw.h"
#include "uStratField.h"

namespace {
constexpr int32_t kNameValue = 1;
constexpr int32_t kMetafileValue = 2;
constexpr int32_t kFieldsValue = 3;
// Captions: their count, then language and caption of caption k under 17 + 2k and 18 + 2k.
constexpr int32_t kCaptionCountValue = 16;
constexpr int32_t kCaptionBase = 17;
constexpr uint32_t kOldHeaderSize = 32;
// rclFrame inside ENHMETAHEADER: left, top, right, bottom in 0.01 mm.
constexpr size_t kFrameLeft = 24, kFrameTop = 28, kFrameRight = 32, kFrameBottom = 36;
}  // namespace

TStratSign* TStratSign::Create() {
  auto* sign = new (std::nothrow) TStratSign();
  if (!sign) return nullptr;
  if (stratCreateField(sign->FFields.Put()) != S_OK || sign->FFields->Add(TShortString{}) != S_OK) {
    delete sign;
    return nullptr;
  }
  // The field is ours (the library's own class): its item 0 is the sign's name.
  static_cast<TStratField*>(sign->FFields.Get())->SetSignsOwn();
  return sign;
}

TStratSign::~TStratSign() { ForgetPicture(); }

void* TStratSign::FindInterface(const GUID& iid) {
  if (iid == IID_IUnknown || iid == IID_IStratStream) return static_cast<IStratStream*>(this);
  if (iid == IID_IStratSign) return static_cast<IStratSign*>(this);
  if (iid == IID_IStratSignOld) return static_cast<IStratSignOld*>(this);
  if (iid == IID_IStratSignCaptions) return static_cast<IStratSignCaptions*>(this);
  return nullptr;
}

int32_t TStratSign::FindCaption(std::string_view language) const {
  for (size_t i = 0; i < FCaptions.size(); ++i) {
    const std::string& known = FCaptions[i].first;
    if (known.size() != language.size()) continue;
    bool same = true;
    for (size_t k = 0; k < known.size() && same; ++k)
      same =
          std::tolower(static_cast<unsigned char>(known[k])) == std::tolower(static_cast<unsigned char>(language[k]));
    if (same) return static_cast<int32_t>(i);
  }
  return -1;
}

void TStratSign::GetCaption(const char* language, TShortString* result) {
  if (!result) return;
  result->Length = 0;
  if (!language) return;
  const int32_t i = FindCaption(language);
  if (i >= 0) SetShortString(result, FCaptions[static_cast<size_t>(i)].second);
}

HRESULT TStratSign::SetCaption(const char* language, const TShortString& caption) {
  if (!language || !*language) return E_INVALIDARG;
  const std::string_view tag(language, std::min<size_t>(std::strlen(language), 255));
  const int32_t i = FindCaption(tag);
  if (caption.Length == 0) {
    if (i >= 0) FCaptions.erase(FCaptions.begin() + i);
    return S_OK;
  }
  if (i >= 0) {
    FCaptions[static_cast<size_t>(i)].second = ShortStringText(caption);
    return S_OK;
  }
  if (FCaptions.size() >= static_cast<size_t>(kMaxSignCaptions)) return E_FAIL;
  FCaptions.emplace_back(std::string(tag), ShortStringText(caption));
  return S_OK;
}

void TStratSign::GetCaptionLanguage(int32_t index, TShortString* result) {
  if (!result) return;
  result->Length = 0;
  if (index >= 0 && static_cast<size_t>(index) < FCaptions.size())
    SetShortString(result, FCaptions[static_cast<size_t>(index)].first);
}

void TStratSign::LoadCaptions(ICompoundStream* qs) {
  FCaptions.clear();
  int32_t count = 0;
  qs->ReadInteger(kCaptionCountValue, 0, 0, &count);
  // A damaged count must not run away; captions beyond the limit are dropped.
  count = std::clamp<int32_t>(count, 0, kMaxSignCaptions);
  for (int32_t k = 0; k < count; ++k) {
    TShortString language{}, caption{};
    qs->ReadShortString(kCaptionBase + 2 * k, 0, TShortString{}, &language);
    qs->ReadShortString(kCaptionBase + 2 * k + 1, 0, TShortString{}, &caption);
    if (language.Length == 0 || caption.Length == 0) continue;
    const std::string tag = ShortStringText(language);
    if (FindCaption(tag) < 0) FCaptions.emplace_back(tag, ShortStringText(caption));
  }
}

HRESULT TStratSign::SetName(const TShortString& name) {
  if (FFields->Count() > 0) {
    TStratPlacement item{};
    HRESULT hr = FFields->GetItem(0, &item);
    if (hr != S_OK) return hr;
    item.SignName = name;
    return FFields->SetItem(0, item);
  }
  return FFields->Add(name);
}

void TStratSign::GetName(TShortString* result) {
  if (!result) return;
  result->Length = 0;
  FFields->GetName(0, result);
}

HRESULT TStratSign::SetMetafile(TEmfDocument* metafile) {
  if (metafile != FMetafile.get()) {
    ForgetPicture();
    FMetafile.reset(metafile);
  }
  UpdateHeader();
  return S_OK;
}

void TStratSign::UpdateHeader() {
  if (FMetafile) FHeader = FMetafile->RawHeader100();
  NoteStratDrawingChange();
}

void TStratSign::ForgetPicture() {
  // Whatever was drawn from the picture is out of date, even where no picture was.
  NoteStratDrawingChange();
  if (FMetafile) TSignTileCache::Shared().Forget(FMetafile->Serial());
}

void TStratSign::DropMetafile() {
  ForgetPicture();
  FMetafile.reset();
  FHeader.fill(0);
}

int32_t TStratSign::FrameField(size_t offset) const { return static_cast<int32_t>(GetLE32(FHeader.data() + offset)); }

double TStratSign::Width() { return (static_cast<double>(FrameField(kFrameRight)) - FrameField(kFrameLeft)) / 100.0; }

double TStratSign::Height() { return (static_cast<double>(FrameField(kFrameBottom)) - FrameField(kFrameTop)) / 100.0; }

void TStratSign::Draw(QPainter* dc, const TStratPlacement& item, int32_t x0, int32_t y0, double scale) {
  if (!FMetafile || !dc || !(scale > 0)) return;
  DrawSignBlocks(dc, *FMetafile, Width(), Height(), item, x0, y0, scale);
}

HRESULT TStratSign::GetFields(IStratField** field) {
  if (!field) return E_INVALIDARG;
  *field = FFields.Get();
  FFields->AddRef();
  return S_OK;
}

HRESULT TStratSign::SaveToQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::SaveToQS(qs);
  if (hr != S_OK) return hr;
  TShortString name{};
  GetName(&name);
  hr = qs->WriteShortString(kNameValue, name);
  if (hr != S_OK) return hr;
  if (FMetafile) {
    const std::vector<uint8_t>& bytes = FMetafile->Bytes();
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return E_FAIL;
    hr = qs->WriteBuffer(kMetafileValue, bytes.data(), static_cast<int32_t>(bytes.size()));
    if (hr != S_OK) return hr;
  }
  hr = stratSaveToQS(kFieldsValue, static_cast<IStratField*>(FFields.Get()), qs);
  if (hr != S_OK || FCaptions.empty()) return hr;
  hr = qs->WriteInteger(kCaptionCountValue, static_cast<int32_t>(FCaptions.size()));
  for (size_t k = 0; k < FCaptions.size() && hr == S_OK; ++k) {
    const auto base = kCaptionBase + 2 * static_cast<int32_t>(k);
    hr = qs->WriteShortString(base, MakeShortString(FCaptions[k].first));
    if (hr == S_OK) hr = qs->WriteShortString(base + 1, MakeShortString(FCaptions[k].second));
  }
  return hr;
}

HRESULT TStratSign::LoadFromQS(ICompoundStream* qs) {
  HRESULT hr = TStratStreamCore::LoadFromQS(qs);
  if (hr != S_OK) return hr;

  // The picture's bytes where the container holds them (whatever their
  // type, as a read of the raw value gives them): the document copies them.
  TCompoundEntry picture{};
  if (qs->GetEntry(kMetafileValue, &picture) == S_OK && picture.Size > 0 && picture.Data) {
    ForgetPicture();
    FMetafile.reset();
    FMetafile = TEmfDocument::FromBytes(static_cast<const uint8_t*>(picture.Data), picture.Size);
    if (!FMetafile) return E_FAIL;
  } else {
    // Signs without a picture are saved without one; they load as such.
    DropMetafile();
  }

  // An emptied value counts as absent: it cannot hold a field.
  uint32_t fieldSize = 0;
  if (qs->ReadData(kFieldsValue, 0, nullptr, &fieldSize) == S_OK && fieldSize > 0) {
    hr = stratLoadFromQS(kFieldsValue, static_cast<IStratField*>(FFields.Get()), qs);
  } else {
    // An older sign: only its name, under the default template.
    TShortString name{};
    qs->ReadShortString(kNameValue, 0, TShortString{}, &name);
    hr = SetName(name);
  }
  LoadCaptions(qs);
  UpdateHeader();
  return hr;
}

int32_t TStratSign::SaveToOldBuffer(void* buffer, int32_t length) {
  TShortString name{};
  GetName(&name);
  const uint64_t metafileSize = FMetafile ? FMetafile->Bytes().size() : 0;
  const uint64_t size = kOldHeaderSize + metafileSize + name.Length;
  if (size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return 0;
  if (!buffer) return static_cast<int32_t>(size);
  if (length < 0 || size > static_cast<uint64_t>(length)) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  const uint32_t header[8] = {
      static_cast<uint32_t>(size), 0, 0, static_cast<uint32_t>(metafileSize), 0, name.Length, 0, 0};
  for (int i = 0; i < 8; ++i) PutLE32(out + 4 * i, header[i]);
  if (metafileSize) std::memcpy(out + kOldHeaderSize, FMetafile->Bytes().data(), metafileSize);
  if (name.Length) std::memcpy(out + kOldHeaderSize + metafileSize, name.Chars, name.Length);
  return static_cast<int32_t>(size);
}

int32_t TStratSign::LoadFromOldBuffer(const void* buffer, int32_t length) {
  if (!buffer || length < static_cast<int32_t>(kOldHeaderSize)) return 0;
  const TByteView in{static_cast<const uint8_t*>(buffer), static_cast<uint64_t>(length)};
  const uint32_t total = in.LE32(0);
  if (total < kOldHeaderSize || total > in.Size) return 0;
  // Every part the header announces must lie inside the record.
  const TByteView record{in.Data, total};
  const uint32_t metafileSize = record.LE32(12);
  const uint32_t extraSize = record.LE32(16);
  const uint32_t nameLength = record.LE32(20);
  const uint64_t nameOffset = uint64_t{kOldHeaderSize} + metafileSize + extraSize;
  if (!record.Has(kOldHeaderSize, metafileSize) || !record.Has(nameOffset, nameLength)) return 0;

  if (metafileSize > 0) {
    ForgetPicture();
    FMetafile.reset();
    FMetafile = TEmfDocument::FromBytes(record.Data + kOldHeaderSize, metafileSize);
    if (!FMetafile) return 0;
  } else {
    // A sign without a picture writes no metafile bytes; it loads as such.
    DropMetafile();
  }
  TShortString name{};
  SetShortString(&name, std::string_view(reinterpret_cast<const char*>(record.Data + nameOffset), nameLength));
  SetName(name);
  FCaptions.clear();  // the old record has no room for captions
  UpdateHeader();
  return static_cast<int32_t>(total);
}
