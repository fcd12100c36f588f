#include "host/xls/compound_file.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tavo::xls {

namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kLastRegular = 0xFFFFFFFA;

[[noreturn]] void Damaged(const char* what) { throw std::runtime_error(std::string("xls 文件已损坏（") + what + "）"); }

std::uint32_t U32(std::string_view b, std::size_t at) {
  if (at + 4 > b.size()) Damaged("越界");
  std::uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

std::uint16_t U16(std::string_view b, std::size_t at) {
  if (at + 2 > b.size()) Damaged("越界");
  std::uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

class Container {
 public:
  explicit Container(std::string_view file) : file_(file) {
    if (!IsCompoundFile(file)) Damaged("不是复合文档");
    const unsigned shift = U16(file, 0x1E), miniShift = U16(file, 0x20);
    if (shift != 9 && shift != 12) Damaged("扇区大小无效");
    if (miniShift != 6) Damaged("小扇区大小无效");
    sectorSize_ = std::size_t{1} << shift;
    sectors_ = file.size() > sectorSize_ ? (file.size() - 1) / sectorSize_ : 0;  // sectors after the header
    readFat();
    directory_ = chain(U32(file, 0x30), fat_);
    miniCutoff_ = U32(file, 0x38);
    const std::uint32_t miniFatStart = U32(file, 0x3C);
    if (miniFatStart < kLastRegular) {
      const std::string miniFat = streamOf(chain(miniFatStart, fat_));
      for (std::size_t at = 0; at + 4 <= miniFat.size(); at += 4) miniFat_.push_back(U32(miniFat, at));
    }
  }

  std::optional<std::string> stream(std::string_view wanted) {
    std::string directory = streamOf(directory_);
    std::string miniStream;
    bool miniRead = false;
    for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
      const std::string_view entry(directory.data() + at, 128);
      const int type = static_cast<unsigned char>(entry[0x42]);
      if (at == 0) {  // the root entry: its chain is the mini stream
        if (type != 5) Damaged("根目录无效");
        rootStart_ = U32(entry, 0x74);
        rootSize_ = U32(entry, 0x78);
        continue;
      }
      if (type != 2 || !sameName(entry, wanted)) continue;
      const std::uint32_t start = U32(entry, 0x74), size = U32(entry, 0x78);
      if (size >= miniCutoff_) return cut(streamOf(chain(start, fat_)), size);
      if (!miniRead) {
        miniStream = cut(streamOf(chain(rootStart_, fat_)), rootSize_);
        miniRead = true;
      }
      std::string out;
      for (std::uint32_t s : chain(start, miniFat_)) {
        const std::size_t from = std::size_t{s} * 64;
        if (from + 64 > miniStream.size()) Damaged("小扇区越界");
        out.append(miniStream, from, 64);
      }
      return cut(std::move(out), size);
    }
    return std::nullopt;
  }

 private:
  void readFat() {
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = U32(file_, 0x2C);
    for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i) fatSectors.push_back(U32(file_, 0x4C + 4 * i));
    // Further FAT sector numbers fill a chain of DIFAT sectors; each ends
    // with the number of the next.
    std::uint32_t difat = U32(file_, 0x44);
    const std::size_t perSector = sectorSize_ / 4 - 1;
    for (std::size_t hops = 0; difat < kLastRegular && fatSectors.size() < fatCount; ++hops) {
      if (hops > sectors_) Damaged("扇区链成环");
      const std::size_t base = offsetOf(difat);
      for (std::size_t i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32(file_, base + 4 * i));
      difat = U32(file_, base + 4 * perSector);
    }
    if (fatSectors.size() > sectors_) Damaged("扇区表过长");
    fat_.reserve(fatSectors.size() * (sectorSize_ / 4));
    for (std::uint32_t s : fatSectors) {
      const std::size_t base = offsetOf(s);
      for (std::size_t i = 0; i < sectorSize_ / 4; ++i) fat_.push_back(U32(file_, base + 4 * i));
    }
  }

  std::size_t offsetOf(std::uint32_t sector) const {
    if (sector >= sectors_) Damaged("扇区越界");
    return (std::size_t{sector} + 1) * sectorSize_;
  }

  // A chain of sector numbers; a loop or a number beyond the table is damage.
  std::vector<std::uint32_t> chain(std::uint32_t start, const std::vector<std::uint32_t>& table) const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t s = start; s != kEndOfChain;) {
      if (s >= table.size() || out.size() >= table.size()) Damaged("扇区链无效");
      out.push_back(s);
      s = table[s];
    }
    return out;
  }

  std::string streamOf(const std::vector<std::uint32_t>& sectors) const {
    std::string out;
    out.reserve(sectors.size() * sectorSize_);
    for (std::uint32_t s : sectors) {
      const std::size_t from = offsetOf(s);
      // The last sector of a file may be cut short.
      out.append(file_.substr(from, sectorSize_));
    }
    return out;
  }

  static std::string cut(std::string s, std::size_t size) {
    if (size > s.size()) Damaged("流长度超出扇区");
    s.resize(size);
    return s;
  }

  static bool sameName(std::string_view entry, std::string_view wanted) {
    const std::size_t bytes = U16(entry, 0x40);
    if (bytes < 2 || bytes > 64 || bytes / 2 - 1 != wanted.size()) return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      const std::uint16_t c = U16(entry, 2 * i);
      auto lower = [](unsigned x) { return x >= 'A' && x <= 'Z' ? x + 32 : x; };
      if (lower(c) != lower(static_cast<unsigned char>(wanted[i]))) return false;
    }
    return true;
  }

  std::string_view file_;
  std::size_t sectorSize_ = 512, sectors_ = 0;
  std::vector<std::uint32_t> fat_, miniFat_, directory_;
  std::uint32_t miniCutoff_ = 4096, rootStart_ = kEndOfChain, rootSize_ = 0;
};

}  // namespace

bool IsCompoundFile(std::string_view file) { return file.size() >= 512 && file.substr(0, 8) == std::string_view(kSignature, 8); }

std::optional<std::string> ReadCompoundStream(std::string_view file, std::string_view name) {
  return Container(file).stream(name);
}

}  // namespace tavo::xls
