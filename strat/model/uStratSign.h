// TStratSign: one rock pattern, an enhanced metafile repeated in blocks,
// with its placement templates held in its own field (item 0 names the sign).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "uComPtr.h"
#include "uStratStream.h"

class TStratSign final : public TStratStream<IStratSign, IStratSignOld, IStratSignCaptions> {
 public:
  // A sign with no metafile and a field of one unnamed item; nullptr when that field cannot be made.
  static TStratSign* Create();
  ~TStratSign() override;

  HRESULT SetName(const TShortString& name) override;
  void GetName(TShortString* result) override;
  HRESULT SetMetafile(TEmfDocument* metafile) override;
  TEmfDocument* GetMetafile() override { return FMetafile.get(); }
  void UpdateHeader() override;
  double Width() override;
  double Height() override;
  void Draw(QPainter* dc, const TStratPlacement& item, int32_t x0, int32_t y0, double scale) override;
  HRESULT GetFields(IStratField** field) override;

  void GetCaption(const char* language, TShortString* result) override;
  HRESULT SetCaption(const char* language, const TShortString& caption) override;
  int32_t CaptionCount() override { return static_cast<int32_t>(FCaptions.size()); }
  void GetCaptionLanguage(int32_t index, TShortString* result) override;

  int32_t LoadFromOldBuffer(const void* buffer, int32_t length) override;
  int32_t SaveToOldBuffer(void* buffer, int32_t length) override;

  HRESULT LoadFromQS(ICompoundStream* qs) override;
  HRESULT SaveToQS(ICompoundStream* qs) override;
  GUID ClassID() const override { return CLSID_StratSign; }

 protected:
  void* FindInterface(const GUID& iid) override;

 private:
  TStratSign() = default;
  // Lets the drawing drop its images of the picture about to go.
  void ForgetPicture();
  // Forgets the picture and its cached sizes (a sign stored without one).
  void DropMetafile();
  int32_t FrameField(size_t offset) const;
  // Index of the caption in `language` (case-insensitive), or -1.
  int32_t FindCaption(std::string_view language) const;
  void LoadCaptions(ICompoundStream* qs);

  std::unique_ptr<TEmfDocument> FMetafile;
  // The first 100 bytes of the metafile's header record; its frame gives the natural size.
  std::array<uint8_t, 100> FHeader{};
  TComPtr<IStratField> FFields;
  // (language, caption) pairs in the order they were first set.
  std::vector<std::pair<std::string, std::string>> FCaptions;
};
