// The compound stream library: containers of typed values under 32-bit IDs,
// handed out as reference-counted interfaces, and their serialised form.
// Out arguments of interface type are set to null first (except
// qsCreateCompoundStream, which releases what they held) and filled only on
// success. File names are the operating system's path bytes.
#pragma once

#include <cstdint>

#include "uCompoundStreamIntf.h"
#include "uExport.h"

KERNO_EXPORT void qsCreateCompoundStream(ICompoundStream** stream);
// Empties a container of this library as if it were new, keeping its memory
// for the values written next (one container reused for many objects' saves);
// E_INVALIDARG for null or a container of another implementation.
KERNO_EXPORT HRESULT qsEmptyCompoundStream(ICompoundStream* stream);
KERNO_EXPORT HRESULT qsCreateFromStream(IStream* source, ICompoundStream** stream);
KERNO_EXPORT HRESULT qsSaveToStream(ICompoundStream* stream, IStream* target);
KERNO_EXPORT HRESULT qsGetSize(ICompoundStream* stream, uint64_t* size);
KERNO_EXPORT HRESULT qsWriteCompoundStream(ICompoundStream* parent, int32_t id, ICompoundStream* child);
KERNO_EXPORT HRESULT qsReadCompoundStream(ICompoundStream* parent, int32_t id, ICompoundStream** child);
KERNO_EXPORT HRESULT qsCopy(ICompoundStream* source, ICompoundStream** copy);
KERNO_EXPORT HRESULT qsCreateFromFile(const char* fileName, ICompoundStream** stream);
KERNO_EXPORT HRESULT qsSaveToFile(const char* fileName, ICompoundStream* stream);
KERNO_EXPORT HRESULT qsReadStream(ICompoundStream* parent, int32_t id, IStream** stream);
KERNO_EXPORT HRESULT qsIsCompoundStream(ICompoundStream* parent, int32_t id);
KERNO_EXPORT HRESULT SaveStreamToFile(const char* fileName, IStream* source);
KERNO_EXPORT HRESULT CreateStreamFromFile(const char* fileName, IStream** stream);
KERNO_EXPORT HRESULT LoadStreamFromFile(const char* fileName, IStream* target);
