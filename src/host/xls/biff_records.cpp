#include "host/xls/biff_records.h"

#include <iconv.h>

#include <cstring>
#include <stdexcept>

namespace tavo::xls {

namespace {

[[noreturn]] void Short() { throw std::runtime_error("xls 文件已损坏（记录过短）"); }

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string FromUtf16(const std::vector<std::uint16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

const char* IconvName(int codePage) {
  switch (codePage) {
    case 936: return "GB18030";  // a superset of what files call 936
    case 950: return "BIG5";
    case 932: return "SHIFT_JIS";
    case 949: return "CP949";
    case 10000:
    case 32768: return "MACINTOSH";
    case 367: return "ASCII";
    default: return nullptr;
  }
}

}  // namespace

std::string_view RecordBody::take(std::size_t bytes) {
  nextPartIfDone();
  if (part_ >= parts_.size() || parts_[part_].size() - at_ < bytes) Short();
  std::string_view out = parts_[part_].substr(at_, bytes);
  at_ += bytes;
  return out;
}

void RecordBody::nextPartIfDone() {
  while (part_ < parts_.size() && at_ == parts_[part_].size()) ++part_, at_ = 0;
}

std::uint8_t RecordBody::u8() { return static_cast<std::uint8_t>(take(1)[0]); }

std::uint16_t RecordBody::u16() {
  std::uint16_t v;
  std::memcpy(&v, take(2).data(), 2);
  return v;
}

std::uint32_t RecordBody::u32() {
  std::uint32_t v;
  std::memcpy(&v, take(4).data(), 4);
  return v;
}

double RecordBody::f64() {
  double v;
  std::memcpy(&v, take(8).data(), 8);
  return v;
}

// Skipping may cross parts: runs and phonetic data flow on without flags.
void RecordBody::skip(std::size_t bytes) {
  while (bytes) {
    nextPartIfDone();
    if (part_ >= parts_.size()) Short();
    const std::size_t n = std::min(bytes, parts_[part_].size() - at_);
    at_ += n;
    bytes -= n;
  }
}

std::size_t RecordBody::left() const {
  std::size_t n = 0;
  for (std::size_t p = part_; p < parts_.size(); ++p) n += parts_[p].size() - (p == part_ ? at_ : 0);
  return n;
}

std::string RecordBody::unicodeString(bool byteLength) {
  const std::size_t length = byteLength ? u8() : u16();
  std::uint8_t flags = u8();
  const std::size_t runs = flags & 0x08 ? u16() : 0;
  const std::size_t phonetic = flags & 0x04 ? u32() : 0;
  std::vector<std::uint16_t> units;
  units.reserve(std::min<std::size_t>(length, left()));
  while (units.size() < length) {
    if (part_ < parts_.size() && at_ == parts_[part_].size()) {
      // The characters go on in the next part, behind flags of their own.
      nextPartIfDone();
      flags = u8();
    }
    if (part_ >= parts_.size()) Short();
    const std::size_t width = flags & 0x01 ? 2 : 1;
    const std::size_t here = std::min(length - units.size(), (parts_[part_].size() - at_) / width);
    if (here == 0) Short();
    const std::string_view bytes = take(here * width);
    for (std::size_t i = 0; i < here; ++i)
      units.push_back(width == 1 ? static_cast<unsigned char>(bytes[i])
                                 : static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                              static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  skip(runs * 4 + phonetic);
  return FromUtf16(units);
}

std::string RecordBody::byteString(bool byteLength, int codePage) {
  const std::size_t length = byteLength ? u8() : u16();
  return DecodeCodePage(take(length), codePage);
}

std::string DecodeCodePage(std::string_view bytes, int codePage) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  std::string name = IconvName(codePage) ? IconvName(codePage) : "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
  std::string out;
  if (cd != reinterpret_cast<iconv_t>(-1)) {
    std::string in(bytes);
    char* from = in.data();
    std::size_t fromLeft = in.size();
    std::string buffer(in.size() * 4 + 4, '\0');
    while (fromLeft) {
      char* to = buffer.data();
      std::size_t toLeft = buffer.size();
      const std::size_t r = iconv(cd, &from, &fromLeft, &to, &toLeft);
      out.append(buffer.data(), buffer.size() - toLeft);
      if (r == static_cast<std::size_t>(-1) && fromLeft) {  // a byte that does not decode
        out += "\xEF\xBF\xBD";
        ++from, --fromLeft;
      }
    }
    iconv_close(cd);
    return out;
  }
  for (char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));  // Latin-1, the last resort
  return out;
}

RecordReader::RecordReader(std::string_view stream, std::size_t offset) : stream_(stream), at_(offset) {}

bool RecordReader::next(Record& r) {
  auto header = [&](std::size_t at, std::uint16_t& id, std::uint16_t& size) {
    if (at + 4 > stream_.size()) return false;
    std::memcpy(&id, stream_.data() + at, 2);
    std::memcpy(&size, stream_.data() + at + 2, 2);
    return true;
  };
  std::uint16_t id, size;
  if (!header(at_, id, size)) return false;
  if (at_ + 4 + size > stream_.size()) throw std::runtime_error("xls 文件已损坏（记录超出文件）");
  std::vector<std::string_view> parts{stream_.substr(at_ + 4, size)};
  r.id = id;
  r.offset = at_;
  at_ += 4 + size;
  for (std::uint16_t nextId, nextSize; id != record::kContinue && header(at_, nextId, nextSize) &&
                                       nextId == record::kContinue && at_ + 4 + nextSize <= stream_.size();) {
    parts.push_back(stream_.substr(at_ + 4, nextSize));
    at_ += 4 + nextSize;
  }
  r.body = RecordBody(std::move(parts));
  return true;
}

}  // namespace tavo::xls
