// The lithology sign library: rock patterns (signs), databases of signs,
// fields of placed signs and their drawing. Objects cross the boundary only as
// the reference-counted interfaces below; every interface lists its
// operations in slot order after QueryInterface, AddRef and Release.
//
// Conventions: texts are Windows-1251 bytes; short strings are passed by const
// reference and returned through a trailing TShortString*; records likewise.
// A device context is a QPainter* whose world transform maps device pixels;
// a metafile handle is a TEmfDocument* (platform/emf).
// Out arguments of interface type are set to null first and hold one new
// reference on success; interfaces passed in are borrowed.
#pragma once

#include <cstdint>

#include "uComBase.h"
#include "uCompoundStreamIntf.h"
#include "uExport.h"
#include "uRect.h"
#include "uShortString.h"
#include "uStratPlacement.h"

class QImage;
class QPainter;
class TEmfDocument;

// Class identifiers: stored under ID -1 of every saved object and accepted by stratCreate.
inline constexpr GUID CLSID_StratSign = {0xBE6AC269, 0x151D, 0x4E56, {0x82, 0x0F, 0xAB, 0xC8, 0xDB, 0xBC, 0x4E, 0x12}};
inline constexpr GUID CLSID_StratDataBase = {
    0xF7AA40C2, 0xEB4F, 0x4649, {0xB3, 0xFD, 0xBD, 0x2C, 0x99, 0x0F, 0xB3, 0xF3}};
inline constexpr GUID CLSID_StratField = {0x40A65EA2, 0x2E37, 0x447D, {0x93, 0x7B, 0xD3, 0x55, 0x5D, 0x42, 0x87, 0x94}};

inline constexpr GUID IID_IStratStream = {0x376ED072, 0x9742, 0x422E, {0xBE, 0xFE, 0x5C, 0xBD, 0x84, 0xD7, 0xA6, 0x33}};
inline constexpr GUID IID_IStratCategories = {
    0x53B88C20, 0xDEC4, 0x11D9, {0x9E, 0x0F, 0xD6, 0x86, 0xC2, 0xF8, 0x51, 0x06}};
inline constexpr GUID IID_IStratSign = {0x1A42B16B, 0x29D9, 0x4C2A, {0xBA, 0x6F, 0xFC, 0x1F, 0x8B, 0x4A, 0x4A, 0xDE}};
inline constexpr GUID IID_IStratSignOld = {
    0xFEC05DE0, 0xDE75, 0x11D9, {0x9E, 0x0F, 0x90, 0x65, 0xBF, 0xA4, 0xAE, 0x06}};
inline constexpr GUID IID_IStratField = {0x90D061BE, 0xDFFB, 0x4AD3, {0xA9, 0xF8, 0xF3, 0xE4, 0x43, 0x6F, 0xF2, 0xB8}};
inline constexpr GUID IID_IStratDataBase = {
    0xF47D40B7, 0x8C60, 0x48A8, {0x8C, 0x24, 0xE9, 0xA3, 0x74, 0xDC, 0xEF, 0x91}};
inline constexpr GUID IID_IStratDataBaseOld = {
    0xFEC05DE1, 0xDE75, 0x11D9, {0x9E, 0x0F, 0x90, 0x65, 0xBF, 0xA4, 0xAE, 0x06}};
inline constexpr GUID IID_IStratFileName = {
    0x85D5C0D6, 0xF647, 0x4F39, {0xBC, 0x2B, 0x9D, 0xA5, 0x16, 0xDF, 0xC5, 0x83}};
inline constexpr GUID IID_IStratSignCaptions = {
    0xB38FD844, 0xBB52, 0x4574, {0xAF, 0x95, 0x07, 0xE9, 0x06, 0x8F, 0xE6, 0xBA}};

struct IStratDataBase;
struct IStratField;

// Persistence shared by signs, fields and databases.
struct IStratStream : IUnknown {
  // Bytes of the object's saved compound stream; 0 when it cannot be measured.
  virtual int32_t GetSize() = 0;
  // Writes up to `length` bytes of the saved form (size the buffer with GetSize).
  virtual HRESULT SaveToBuffer(void* buffer, int32_t length) = 0;
  virtual HRESULT LoadFromBuffer(const void* buffer, int32_t length) = 0;
  // Reads from the stream's start; a database also accepts its old raw form.
  virtual HRESULT LoadFromStream(IStream* stream) = 0;
  virtual HRESULT SaveToStream(IStream* stream) = 0;
  virtual HRESULT GetClassID(GUID* id) = 0;
};

// The category names that only the old database form carries.
struct IStratCategories : IUnknown {
  virtual int32_t Add(const char* text) = 0;  // index of the new entry; -1 for a null text
  virtual bool Delete(int32_t index) = 0;
  virtual void GetName(int32_t index, TShortString* result) = 0;  // empty out of range
  virtual bool SetName(int32_t index, const char* text) = 0;
  virtual int32_t Count() = 0;
  // Bytes written; the needed size for a null buffer; 0 when `length` is too small.
  virtual int32_t SaveToBuffer(void* buffer, int32_t length) = 0;
  // Bytes consumed; 0 when the buffer is rejected (the list is then unchanged).
  virtual int32_t LoadFromBuffer(const void* buffer, int32_t length) = 0;
};

// One rock pattern: a metafile repeated in blocks, with its placement templates.
struct IStratSign : IUnknown {
  virtual HRESULT SetName(const TShortString& name) = 0;
  virtual void GetName(TShortString* result) = 0;
  // The sign takes ownership of `metafile` (the previous one is deleted unless it is the same).
  virtual HRESULT SetMetafile(TEmfDocument* metafile) = 0;
  // The sign's own metafile (still owned by the sign), or null.
  virtual TEmfDocument* GetMetafile() = 0;
  virtual void UpdateHeader() = 0;
  virtual double Width() = 0;   // natural width, mm
  virtual double Height() = 0;  // natural height, mm
  // Draws the picture in the blocks of `item`, the rectangle's top-left corner at (x0, y0) pixels.
  virtual void Draw(QPainter* dc, const TStratPlacement& item, int32_t x0, int32_t y0, double scale) = 0;
  virtual HRESULT GetFields(IStratField** field) = 0;
};

// The names of a sign for people, one per language, beside its name (the rock
// code by which fields and layer tables find it). A language is the code a
// language pack gives under [VOX] LanguageCode ("en", "ru"); it is matched
// without regard to case. Only the compound stream form carries captions.
struct IStratSignCaptions : IUnknown {
  // The caption in `language`; empty when the sign has none in it.
  virtual void GetCaption(const char* language, TShortString* result) = 0;
  // Sets the caption in `language`; an empty caption removes it. E_INVALIDARG
  // for an empty language, E_FAIL when the sign already has kMaxSignCaptions.
  virtual HRESULT SetCaption(const char* language, const TShortString& caption) = 0;
  virtual int32_t CaptionCount() = 0;
  // The language of caption `index`; empty out of range.
  virtual void GetCaptionLanguage(int32_t index, TShortString* result) = 0;
};
constexpr int32_t kMaxSignCaptions = 32;

// The old raw record of a sign.
struct IStratSignOld : IUnknown {
  virtual int32_t LoadFromOldBuffer(const void* buffer, int32_t length) = 0;
  virtual int32_t SaveToOldBuffer(void* buffer, int32_t length) = 0;
};

// An ordered list of placement items naming signs of a database.
struct IStratField : IUnknown {
  virtual int32_t Count() = 0;
  virtual HRESULT Add(const TShortString& name) = 0;
  virtual HRESULT Exchange(int32_t index1, int32_t index2) = 0;
  virtual HRESULT Delete(int32_t index) = 0;
  virtual HRESULT Clear() = 0;
  virtual HRESULT GetItem(int32_t index, TStratPlacement* item) = 0;
  virtual HRESULT SetItem(int32_t index, const TStratPlacement& item) = 0;
  virtual void GetName(int32_t index, TShortString* result) = 0;
  // Draws the items whose Flags bit 0 equals `pass`, the last item first.
  virtual HRESULT Draw(QPainter* dc, int32_t x0, int32_t y0, int32_t pass, double scale, IStratDataBase* database) = 0;
  // 1 when every named item is found in the database, else 0; E_INVALIDARG for a null database.
  virtual int32_t CheckNames(IStratDataBase* database) = 0;
  // Appends `count` whole items: what an Add and a SetItem of the new index
  // do for each, with each item copied in once and room made for all at
  // once (a layer's load adds its signs so). E_INVALIDARG for a negative
  // count or null items.
  virtual HRESULT AddItems(const TStratPlacement* items, int32_t count) = 0;
  // The items where the field keeps them, *count of them, valid until the
  // field next changes: for reading many without copying each (a layer's save).
  virtual HRESULT GetItems(const TStratPlacement** items, int32_t* count) = 0;
};

// An ordered, named collection of signs.
struct IStratDataBase : IUnknown {
  // Case-insensitive (Windows-1251 letters, Cyrillic included); the lowest index wins.
  virtual HRESULT FindByName(const TShortString& name, IStratSign** sign) = 0;
  // Appends the sign itself (shared) or, with `copy`, a new copy of it.
  virtual HRESULT AddSign(IStratStream* sign, bool copy) = 0;
  virtual HRESULT GetSign(int32_t index, IStratSign** sign) = 0;
  virtual int32_t SignCount() = 0;
  virtual bool DeleteSign(int32_t index) = 0;
  virtual HRESULT ExchangeSigns(int32_t index1, int32_t index2) = 0;
  virtual int32_t GetOptions() = 0;
  virtual void SetOptions(int32_t options) = 0;
};

struct IStratFileName : IUnknown {
  virtual void GetFileName(TShortString* result) = 0;
  virtual HRESULT SetFileName(const TShortString& name) = 0;
};

// The old raw form of a database.
struct IStratDataBaseOld : IUnknown {
  virtual int32_t LoadFromOldBuffer(const void* buffer, int32_t length) = 0;
  virtual int32_t SaveToOldBuffer(void* buffer, int32_t length) = 0;
  virtual HRESULT LoadFromOldFile(const char* path) = 0;
  virtual HRESULT SaveToOldFile(const char* path) = 0;
};

// Exports. Paths are the operating system's path bytes, zero-terminated.
// Results are those of uComBase.h; stratSave reports a short write as
// STG_E_WRITEFAULT, stratDrawListItem an icon it could not draw as E_UNEXPECTED.
KERNO_EXPORT HRESULT stratCreateSign(IStratSign** sign);
KERNO_EXPORT HRESULT stratCreateField(IStratField** field);
KERNO_EXPORT HRESULT stratCreateDataBase(IStratDataBase** database);
KERNO_EXPORT HRESULT stratCreateDataBaseold(IStratDataBaseOld** database);
// `object` receives the interface matching the class: IStratField, IStratSign or IStratDataBase.
KERNO_EXPORT HRESULT stratCreate(const GUID* classId, void** object);
KERNO_EXPORT HRESULT stratCopy(IUnknown* source, IUnknown* target);
KERNO_EXPORT HRESULT stratSaveToQS(int32_t id, IUnknown* object, ICompoundStream* qs);
KERNO_EXPORT HRESULT stratLoadFromQS(int32_t id, IUnknown* object, ICompoundStream* qs);
KERNO_EXPORT HRESULT stratLoad(const char* path, IUnknown* object);
KERNO_EXPORT HRESULT stratSave(const char* path, IUnknown* object);
KERNO_EXPORT void stratGetCurrentFileName(TShortString* name, IUnknown* object);
KERNO_EXPORT HRESULT stratSetFileName(IUnknown* object, const TShortString& name);
KERNO_EXPORT HRESULT stratSetMetaFile(IStratSign* sign, const char* path);
KERNO_EXPORT HRESULT stratSaveMetafile(IStratSign* sign, const char* path);
KERNO_EXPORT bool stratDrawIcon(QPainter* dc, const TRect& rect, IStratSign* sign, bool transparent);
// True when `dc` draws signs from images of their blocks (a raster device: screens, bitmaps)
// rather than by playing their pictures (printers, PDF, SVG, metafiles).
KERNO_EXPORT bool stratRasterPainter(const QPainter* dc);
// Draws the items of `pass` as field->Draw does, nothing painted outside `bounds` (device
// pixels), as under a clip to them. On a raster device the painter's clip is left alone
// (cheaper than a clip set and restored per call); elsewhere the field draws under that clip.
KERNO_EXPORT HRESULT stratDrawFieldInside(IStratField* field, QPainter* dc, const TRect& bounds, int32_t x0, int32_t y0,
                                          int32_t pass, double scale, IStratDataBase* database);
// Draws the items of `pass` onto `image` as stratDrawFieldInside would at its top-left corner
// with the image's rectangle as bounds, through a painter with `renderHints`. S_OK when every
// block came from an image of its sign, so the image looks the same copied to any whole-pixel
// place of a raster device of the image's format and dpi as the field drawn there; S_FALSE when
// some block was played from its picture (the image is still drawn).
KERNO_EXPORT HRESULT stratDrawFieldImage(IStratField* field, QImage* image, int32_t pass, double scale,
                                         IStratDataBase* database, int32_t renderHints);
// How many times this thread has played blocks from their pictures in the library's drawing:
// a drawing during which it stayed the same looks the same at any whole-pixel place of a like
// raster device.
KERNO_EXPORT uint64_t stratPlayedBlocks();
// A number that changes whenever a field's drawing may change: the items of any field, the
// signs of any database, any sign's name or picture. Drawings of fields kept beyond one paint
// are valid while it stays the same.
KERNO_EXPORT uint64_t stratDrawingChanges();
KERNO_EXPORT HRESULT stratDrawListItem(QPainter* dc, IStratDataBase* database, const TRect& rect,
                                       const TShortString& name, bool transparent);
KERNO_EXPORT HRESULT stratAdjuctField(IStratDataBase* database, IStratField* field, double width, double height);

// The database editor's report to whoever opened it: code 0 after each refresh
// of its sign list (the database may have changed), code 1 when it closes.
typedef void (*TStratNotifyProc)(void* data, IStratDataBase* database, int32_t code);

// Opens the database editor window and returns at once (it is not modal).
// `database`: work on this database (borrowed: edits go straight into it,
// the editor never replaces it); null: the editor keeps its own. `path`, when
// given, is loaded into that database. `caption` (Windows-1251) titles the
// window. `language` (an ILanguage) translates the editor's texts; it is kept
// for the life of the library. `owner` is not used. False when the process
// has no widget application.
KERNO_EXPORT bool stratCreateEditor(void* owner, IStratDataBase* database, const char* path, const char* caption,
                                    TStratNotifyProc notify, void* notifyData, IUnknown* language);
// Closes the editors opened with `notifyData` (not null) without calling their
// notify procedure again; for an opener that goes away before its editors.
// Returns how many were asked to close.
KERNO_EXPORT int32_t stratCloseEditors(void* notifyData);
