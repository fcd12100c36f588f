// The record layer of the old binary workbook stream (BIFF5 and BIFF8):
// records one by one, each with the CONTINUE records that carry its
// overflow, and the strings inside them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::xls {

// One record's body, possibly in several parts. Reading past the end throws
// std::runtime_error: a short record is a damaged file, never a fault.
class RecordBody {
 public:
  RecordBody() = default;
  explicit RecordBody(std::vector<std::string_view> parts) : parts_(std::move(parts)) {}

  std::uint8_t u8();
  std::uint16_t u16();
  std::uint32_t u32();
  double f64();
  void skip(std::size_t bytes);
  std::size_t left() const;  // bytes left in the whole body

  // BIFF8 unicode string: its length (one byte or two), option flags, and
  // characters that may go on in the next part, which then starts with
  // flags of its own. Formatting runs and phonetic data are passed over.
  std::string unicodeString(bool byteLength);
  // BIFF5 string in the workbook's code page: its length (one byte or two)
  // and bytes.
  std::string byteString(bool byteLength, int codePage);

 private:
  std::string_view take(std::size_t bytes);
  void nextPartIfDone();
  std::vector<std::string_view> parts_;
  std::size_t part_ = 0, at_ = 0;
};

struct Record {
  std::uint16_t id = 0;
  std::size_t offset = 0;  // where in the stream the record starts
  RecordBody body;
};

// Walks the records of a workbook stream from an offset on.
class RecordReader {
 public:
  RecordReader(std::string_view stream, std::size_t offset);
  // False at the end of the stream.
  bool next(Record&);

 private:
  std::string_view stream_;
  std::size_t at_;
};

// Bytes of a single-byte or double-byte code page (BIFF5's strings) as
// UTF-8; bytes that do not decode become U+FFFD.
std::string DecodeCodePage(std::string_view bytes, int codePage);

namespace record {
inline constexpr std::uint16_t kFormula = 0x0006, kEof = 0x000A, kDateMode = 0x0022, kFilePass = 0x002F,
                               kFont = 0x0031, kContinue = 0x003C, kCodePage = 0x0042, kColInfo = 0x007D,
                               kBoundSheet = 0x0085, kPalette = 0x0092, kMulRk = 0x00BD, kMulBlank = 0x00BE,
                               kRString = 0x00D6, kXf = 0x00E0, kMergeCells = 0x00E5, kSst = 0x00FC,
                               kLabelSst = 0x00FD, kBlank = 0x0201, kNumber = 0x0203, kLabel = 0x0204,
                               kBoolErr = 0x0205, kString = 0x0207, kRow = 0x0208, kRk = 0x027E,
                               kFormat = 0x041E, kBof = 0x0809, kDefColWidth = 0x0055;
}

}  // namespace tavo::xls
