#include "host/csv/csv_reader.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/grid.h"
#include "host/file_error.h"

namespace tavo::csv {

namespace {

constexpr std::uintmax_t kMaxFileBytes = 256ull << 20;

// Well-formed UTF-8: lead bytes with their continuation bytes, no overlong
// two-byte forms.
bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (length == 0 || i + length > s.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

std::string FromGb18030(const std::string& bytes, const std::string& path) {
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw host::FileError(path, "无法转换 GB18030 文字");
  std::string out(bytes.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0)
    throw host::FileError(path, "文字既不是 UTF-8 也不是 GB18030/GBK 编码");
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string DecodeText(const std::string& bytes, const std::string& path) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    std::string text = bytes.substr(3);
    if (!ValidUtf8(text)) throw host::FileError(path, "标明 UTF-8 的文件中有无效的 UTF-8 字节");
    return text;
  }
  if (ValidUtf8(bytes)) return bytes;
  return FromGb18030(bytes, path);
}

std::vector<std::vector<std::string>> SplitRecords(const std::string& text, char separator) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, fieldStarted = false;
  auto endField = [&] {
    record.push_back(std::move(field));
    field.clear();
    fieldStarted = false;
  };
  auto endRecord = [&] {
    endField();
    // A line with nothing on it is no record (a trailing line break).
    if (!(record.size() == 1 && record[0].empty())) records.push_back(std::move(record));
    record.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') field += c;
      else if (i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else quoted = false;
    } else if (c == '"' && !fieldStarted) {
      quoted = fieldStarted = true;
    } else if (c == separator) {
      endField();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
    } else {
      field += c;
      fieldStarted = true;
    }
  }
  if (fieldStarted || !field.empty() || !record.empty()) endRecord();
  return records;
}

std::unique_ptr<model::Workbook> LoadTextWorkbook(model::Application& app, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) throw host::FileError(path, "无法打开文件");
  if (size > kMaxFileBytes) throw host::FileError(path, "文件过大");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw host::FileError(path, "无法打开文件");
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const std::string text = DecodeText(bytes, path);

  const fs::path p(path);
  std::string extension = p.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto records = SplitRecords(text, extension == ".txt" ? '\t' : ',');
  std::size_t width = 0;
  for (const auto& r : records) width = std::max(width, r.size());
  if (records.size() > static_cast<std::size_t>(host::kMaxRow) || width > static_cast<std::size_t>(host::kMaxCol))
    throw host::FileError(path, "行或列超出工作表");

  auto book = std::make_unique<model::Workbook>(app, p.filename().string(), p.parent_path().string());
  // The sheet is named after the file, as far as a sheet name may be.
  std::string name = p.stem().string();
  for (char& c : name)
    if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
  try {
    if (!name.empty()) book->modelSheet(1).setName(name);
  } catch (const host::HostError&) {
  }
  if (!records.empty() && width > 0) {
    host::Grid grid(static_cast<int>(records.size()), static_cast<int>(width));
    for (std::size_t r = 0; r < records.size(); ++r)
      for (std::size_t c = 0; c < records[r].size(); ++c)
        grid.at(static_cast<int>(r), static_cast<int>(c)) = host::Value(records[r][c]);
    book->modelSheet(1).setValues({1, 1}, grid);  // entered as typed: numbers become numbers
  }
  return book;
}

}  // namespace tavo::csv
