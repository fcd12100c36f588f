#include "host/xls/xls_reader.h"

#include <freexl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/xlsx/file_error.h"

namespace tavo::xls {

namespace {

// Days from 1899-12-30 (the serial number 0 of the 1900 system, as dates
// after February 1900 count) to the civil date.
long DaysFromEpoch(int y, int m, int d) {
  // Days from 1970-01-01 by the civil calendar, then shifted.
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

struct Handle {
  const void* xls = nullptr;
  ~Handle() {
    if (xls) freexl_close(xls);
  }
};

}  // namespace

std::optional<double> SerialOfDateText(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) == 6 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) == 3) {
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
    return static_cast<double>(DaysFromEpoch(y, mo, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
  }
  if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &mi, &s, &tail) == 3) return (h * 3600 + mi * 60 + s) / 86400.0;
  return std::nullopt;
}

namespace {

// What the reading process sends: records of a kind letter, sizes and text.
//   S name            a sheet
//   C row col kind t  a cell: kind n (number, t its digits), s (text), d (date text)
//   E reason          the file cannot be read
void Put(std::string& out, const std::string& field) {
  const auto n = static_cast<std::uint32_t>(field.size());
  out.append(reinterpret_cast<const char*>(&n), sizeof n);
  out += field;
}

bool Get(const std::string& in, std::size_t& at, std::string& field) {
  std::uint32_t n = 0;
  if (at + sizeof n > in.size()) return false;
  std::memcpy(&n, in.data() + at, sizeof n);
  at += sizeof n;
  if (at + n > in.size()) return false;
  field.assign(in, at, n);
  at += n;
  return true;
}

// Runs in the child process: reads the file with FreeXL into records.
std::string ReadRecords(const std::string& path) {
  std::string out;
  auto fail = [&](const std::string& why) {
    std::string e = "E";
    Put(e, why);
    return e;
  };
  Handle file;
  if (freexl_open(path.c_str(), &file.xls) != FREEXL_OK) return fail("不是有效的 xls 文件");
  unsigned int password = 0, sheets = 0;
  if (freexl_get_info(file.xls, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
    return fail("文件有密码保护");
  if (freexl_get_info(file.xls, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
    return fail("工作簿中没有工作表");
  for (unsigned short i = 0; i < sheets; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(file.xls, i, &name) != FREEXL_OK || freexl_select_active_worksheet(file.xls, i) != FREEXL_OK)
      return fail("工作表目录已损坏");
    out += "S";
    Put(out, name ? name : "");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(file.xls, &rows, &columns) != FREEXL_OK) return fail("工作表已损坏");
    if (rows > static_cast<unsigned>(host::kMaxRow) || columns > host::kMaxCol) return fail("行或列超出工作表");
    for (unsigned int r = 0; r < rows; ++r)
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(file.xls, r, c, &cell) != FREEXL_OK) continue;
        std::string kind, text;
        switch (cell.type) {
          case FREEXL_CELL_INT: kind = "n", text = std::to_string(cell.value.int_value); break;
          case FREEXL_CELL_DOUBLE: {
            char digits[40];
            std::snprintf(digits, sizeof digits, "%.17g", cell.value.double_value);
            kind = "n", text = digits;
            break;
          }
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT: kind = "s", text = cell.value.text_value ? cell.value.text_value : ""; break;
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME: kind = "d", text = cell.value.text_value ? cell.value.text_value : ""; break;
          default: continue;
        }
        out += "C";
        Put(out, std::to_string(r + 1));
        Put(out, std::to_string(c + 1));
        Put(out, kind);
        Put(out, text);
      }
  }
  return out;
}

// FreeXL reads in a process of its own: a file that trips it (a hostile one
// can) harms neither this process nor the teacher's other workbooks.
std::string ReadInChild(const std::string& path) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw xlsx::FileError(path, "无法启动读取");
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    throw xlsx::FileError(path, "无法启动读取");
  }
  if (child == 0) {
    close(pipeFds[0]);
    const std::string records = ReadRecords(path);
    for (std::size_t at = 0; at < records.size();) {
      const ssize_t n = write(pipeFds[1], records.data() + at, records.size() - at);
      if (n <= 0) _exit(2);
      at += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  close(pipeFds[1]);
  std::string records;
  char buffer[1 << 16];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    records.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw xlsx::FileError(path, "xls 文件已损坏（读取时异常终止）");
  return records;
}

}  // namespace

LoadedXls LoadXlsWorkbook(model::Application& app, const std::string& path) {
  const std::string records = ReadInChild(path);
  const std::filesystem::path p(path);
  LoadedXls out;
  out.book = std::make_unique<model::Workbook>(app, p.filename().string(), p.parent_path().string());
  out.notCarried.push_back("xls 文件的格式");
  model::Sheet* sheet = nullptr;
  int sheets = 0;
  std::string field;
  for (std::size_t at = 0; at < records.size();) {
    const char kind = records[at++];
    if (kind == 'E') {
      Get(records, at, field);
      throw xlsx::FileError(path, field);
    }
    if (kind == 'S' && Get(records, at, field)) {
      sheet = sheets++ == 0 ? &out.book->modelSheet(1) : &out.book->appendSheet("tavo-" + std::to_string(sheets));
      try {
        sheet->setName(field);
      } catch (const host::HostError&) {
        throw xlsx::FileError(path, "工作表名称无效: " + field);
      }
      continue;
    }
    std::string row, col, type;
    if (kind != 'C' || !sheet || !Get(records, at, row) || !Get(records, at, col) || !Get(records, at, type) ||
        !Get(records, at, field))
      throw xlsx::FileError(path, "xls 文件已损坏");
    const host::Cell cell{std::atoi(row.c_str()), std::atoi(col.c_str())};
    if (type == "n") sheet->setValue(host::Rect::of(cell), host::Value(std::strtod(field.c_str(), nullptr)));
    // Text stays text, as the file holds it: "095" is no number.
    else if (type == "s") sheet->setTextWithRuns(cell, field, {});
    else if (auto serial = SerialOfDateText(field)) sheet->setValue(host::Rect::of(cell), host::Value(*serial));
  }
  if (sheets == 0) throw xlsx::FileError(path, "工作簿中没有工作表");
  return out;
}

}  // namespace tavo::xls
