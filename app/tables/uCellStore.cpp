#include "uCellStore.h"

#include <algorithm>
#include <new>

namespace {

// Compaction waits until at least this much of the arena is unused, and half of it.
constexpr size_t kMinGarbageToCompact = 1 << 20;

}  // namespace

void TCellStore::Resize(int cols, int rows) {
  cols = std::max(0, cols);
  rows = std::max(0, rows);
  if (cols == 0 || rows == 0) {
    FSpans.clear();
    FSpans.shrink_to_fit();
    FData.clear();
    FData.shrink_to_fit();
    FArena.clear();
    FGarbage = 0;
    FCols = cols;
    FRows = rows;
    return;
  }
  if (cols == FCols) {
    const size_t count = static_cast<size_t>(cols) * static_cast<size_t>(rows);
    for (size_t i = count; i < FSpans.size(); ++i) Forget(FSpans[i]);
    FSpans.resize(count);
    if (!FData.empty()) FData.resize(count, 0);
    FRows = rows;
    return;
  }
  std::vector<TCellSpan> spans(static_cast<size_t>(cols) * static_cast<size_t>(rows));
  std::vector<int32_t> data(FData.empty() ? 0 : spans.size(), 0);
  const int keepCols = std::min(cols, FCols);
  for (int r = 0; r < FRows; ++r) {
    for (int c = 0; c < FCols; ++c) {
      const size_t from = Index(c, r);
      if (r < rows && c < keepCols) {
        const size_t to = static_cast<size_t>(r) * static_cast<size_t>(cols) + c;
        spans[to] = FSpans[from];
        if (!data.empty()) data[to] = FData[from];
      } else {
        Forget(FSpans[from]);
      }
    }
  }
  FSpans = std::move(spans);
  FData = std::move(data);
  FCols = cols;
  FRows = rows;
}

void TCellStore::Clear() { Resize(0, 0); }

QString TCellStore::Text(int col, int row) const {
  const std::string_view utf8 = Utf8(col, row);
  if (utf8.empty()) return {};
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void TCellStore::SetText(int col, int row, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  SetUtf8(col, row, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void TCellStore::SetUtf8(int col, int row, std::string_view utf8) {
  TCellSpan& span = FSpans[Index(col, row)];
  if (utf8.size() <= span.Length) {
    // Shorter or equal: in place; the rest of the old text becomes unused.
    if (!utf8.empty()) std::copy(utf8.begin(), utf8.end(), FArena.data() + span.Offset);
    FGarbage += span.Length - utf8.size();
    span.Length = static_cast<uint32_t>(utf8.size());
    return;
  }
  Forget(span);
  span = {};
  if (FGarbage >= kMinGarbageToCompact && FGarbage * 2 >= static_cast<size_t>(FArena.size())) Compact();
  const uint32_t offset = Append(utf8);
  TCellSpan& fresh = FSpans[Index(col, row)];
  fresh.Offset = offset;
  fresh.Length = static_cast<uint32_t>(utf8.size());
}

uint32_t TCellStore::Append(std::string_view utf8) {
  if (static_cast<uint64_t>(FArena.size()) + utf8.size() > kCellArenaLimit) {
    Compact();
    if (static_cast<uint64_t>(FArena.size()) + utf8.size() > kCellArenaLimit) throw std::bad_alloc();
  }
  const auto offset = static_cast<uint32_t>(FArena.size());
  FArena.append(utf8.data(), static_cast<qsizetype>(utf8.size()));
  return offset;
}

void TCellStore::Compact() {
  QByteArray arena;
  arena.reserve(static_cast<qsizetype>(FArena.size() - static_cast<qsizetype>(FGarbage)));
  for (TCellSpan& span : FSpans) {
    if (span.Length == 0) {
      span.Offset = 0;
      continue;
    }
    const auto offset = static_cast<uint32_t>(arena.size());
    arena.append(FArena.constData() + span.Offset, span.Length);
    span.Offset = offset;
  }
  FArena = std::move(arena);
  FGarbage = 0;
}

void TCellStore::SetData(int col, int row, int32_t value) {
  if (FData.empty()) {
    if (value == 0) return;
    FData.assign(FSpans.size(), 0);
  }
  FData[Index(col, row)] = value;
}

void TCellStore::EraseRow(int row) {
  const size_t first = Index(0, row);
  const size_t last = first + static_cast<size_t>(FCols);
  for (size_t i = first; i < last; ++i) Forget(FSpans[i]);
  FSpans.erase(FSpans.begin() + static_cast<std::ptrdiff_t>(first), FSpans.begin() + static_cast<std::ptrdiff_t>(last));
  if (!FData.empty())
    FData.erase(FData.begin() + static_cast<std::ptrdiff_t>(first), FData.begin() + static_cast<std::ptrdiff_t>(last));
  --FRows;
}

TCellStoreBuilder::TCellStoreBuilder(QByteArray arena) : FArena(std::move(arena)) {
  FOk = static_cast<uint64_t>(FArena.size()) <= kCellArenaLimit;
  if (!FOk) FArena.clear();
}

void TCellStoreBuilder::AddText(std::string_view utf8) {
  if (utf8.empty()) {
    AddEmpty();
    return;
  }
  if (static_cast<uint64_t>(FArena.size()) + FExtra.size() + utf8.size() > kCellArenaLimit) {
    FOk = false;
    AddEmpty();
    return;
  }
  FExtraCells.push_back(FSpans.size());
  FSpans.push_back({static_cast<uint32_t>(FExtra.size()), static_cast<uint32_t>(utf8.size())});
  FExtra.append(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void TCellStoreBuilder::AddText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  AddText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void TCellStoreBuilder::EndRow() {
  const size_t start = FRowEnds.empty() ? 0 : FRowEnds.back();
  FMaxWidth = std::max(FMaxWidth, static_cast<int>(FSpans.size() - start));
  FRowEnds.push_back(FSpans.size());
}

TCellStore TCellStoreBuilder::Finish(int cols) {
  DropOpenRow();
  TCellStore store;
  cols = std::max(0, cols);
  const int rows = RowCount();
  if (!FExtraCells.empty()) {
    if (FArena.isEmpty()) {
      FArena = std::move(FExtra);
    } else {
      const auto base = static_cast<uint32_t>(FArena.size());
      for (const size_t i : FExtraCells) FSpans[i].Offset += base;
      FArena.append(FExtra);
    }
    FExtra.clear();
    FExtraCells.clear();
  }
  size_t used = 0;
  for (const TCellSpan& s : FSpans) used += s.Length;
  bool uniform = true;
  for (size_t r = 0; r < FRowEnds.size() && uniform; ++r) uniform = FRowEnds[r] == (r + 1) * static_cast<size_t>(cols);
  if (cols == 0 || rows == 0) {
    store.Resize(cols, rows);
  } else if (uniform) {
    store.FSpans = std::move(FSpans);
    store.FArena = std::move(FArena);
    store.FCols = cols;
    store.FRows = rows;
  } else {
    // Ragged rows: padded with empty cells or cut to the width.
    std::vector<TCellSpan> spans(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    size_t start = 0;
    for (size_t r = 0; r < FRowEnds.size(); ++r) {
      const size_t width = std::min(FRowEnds[r] - start, static_cast<size_t>(cols));
      std::copy_n(FSpans.begin() + static_cast<std::ptrdiff_t>(start), width,
                  spans.begin() + static_cast<std::ptrdiff_t>(r * static_cast<size_t>(cols)));
      for (size_t c = width; c < FRowEnds[r] - start; ++c) used -= FSpans[start + c].Length;
      start = FRowEnds[r];
    }
    store.FSpans = std::move(spans);
    store.FArena = std::move(FArena);
    store.FCols = cols;
    store.FRows = rows;
  }
  store.FGarbage = store.FSpans.empty() ? 0 : static_cast<size_t>(store.FArena.size()) - used;
  if (store.FSpans.empty()) store.FArena.clear();
  FSpans.clear();
  FRowEnds.clear();
  FMaxWidth = 0;
  return store;
}
