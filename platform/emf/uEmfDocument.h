// An enhanced metafile held in memory: the bytes as stored, validated once on load.
#pragma once

#include <QSizeF>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Decoded from the ENHMETAHEADER record.
struct TEmfHeaderInfo {
  int32_t BoundsLeft = 0, BoundsTop = 0, BoundsRight = 0, BoundsBottom = 0;  // device units
  int32_t FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;      // 0.01 mm
  uint32_t Bytes = 0;                                                        // nBytes: total size
  uint32_t Records = 0;                                                      // nRecords
  int32_t DeviceCx = 0, DeviceCy = 0;                                        // szlDevice, pixels
  int32_t MillimetersCx = 0, MillimetersCy = 0;                              // szlMillimeters
  uint16_t Handles = 0;                                                      // nHandles: object table size incl. slot 0
  int32_t MicrometersCx = 0, MicrometersCy = 0;                              // szlMicrometers when the header has it
};

class TEmfDocument {
 public:
  // Validates the header and every record's size before accepting the bytes; nullptr (and
  // *error set when given) for anything that is not a sound EMF.
  static std::unique_ptr<TEmfDocument> FromBytes(const uint8_t* data, size_t size, std::string* error = nullptr);
  static std::unique_ptr<TEmfDocument> FromFile(const QString& path, std::string* error = nullptr);

  const std::vector<uint8_t>& Bytes() const { return Bytes_; }
  size_t Size() const { return Bytes_.size(); }
  const TEmfHeaderInfo& Header() const { return Header_; }
  // The first 100 bytes of the header record as stored, zero-padded when it is shorter.
  std::array<uint8_t, 100> RawHeader100() const;
  // The picture's size from the frame rectangle (0.01 mm).
  QSizeF NaturalSizeMM() const;
  // Reference device resolution in pixels per millimetre (x, y), never zero.
  double DevicePixelsPerMMX() const;
  double DevicePixelsPerMMY() const;
  std::unique_ptr<TEmfDocument> Copy() const;
  // Writes a temporary file beside path and renames it over path when complete.
  bool SaveToFile(const QString& path) const;

  // Offsets of the records in order (the last one is EMR_EOF, or the last before the end).
  const std::vector<uint32_t>& RecordOffsets() const { return Offsets_; }

  // Unique to this document for the life of the process, and a document never changes: what
  // is drawn from it (an image of it at some size) may be kept under this number.
  uint64_t Serial() const { return Serial_; }

  TEmfDocument(const TEmfDocument&) = delete;
  TEmfDocument& operator=(const TEmfDocument&) = delete;

 private:
  TEmfDocument();
  std::vector<uint8_t> Bytes_;
  TEmfHeaderInfo Header_;
  std::vector<uint32_t> Offsets_;
  uint64_t Serial_;
};
