#include "host/xlsx/zip_archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <zlib.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "host/xlsx/deflate_stream.h"
#include "host/file_error.h"

namespace tavo::xlsx {

namespace {

struct UnzCloser {
  void operator()(void* z) const { unzClose(z); }
};

}  // namespace

InflatedText::Result InflatePart(ZipPart& part) {
  if (!part.deferred) return InflatedText::Result::Ended;
  InflatedText inflated(part.packed, part.size, part.crc);
  // In pieces: a directory that claims more than the bytes hold gets no
  // more memory than they do.
  const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(part.size + 1, 4u << 20));
  auto result = InflatedText::Result::More;
  while ((result = inflated.more(piece)) == InflatedText::Result::More) {
  }
  if (result != InflatedText::Result::Ended) return result;
  part.text = inflated.take();
  part.deferred = false;
  std::string().swap(part.packed);
  return result;
}

std::map<std::string, std::string> ReadZip(const std::string& path, const ZipLimits& limits) {
  std::map<std::string, std::string> texts;
  for (auto& [name, part] : ReadZipParts(path, limits, UINT64_MAX)) texts[name] = std::move(part.text);
  return texts;
}

std::map<std::string, ZipPart> ReadZipParts(const std::string& path, const ZipLimits& limits,
                                            std::uint64_t deferFrom) {
  std::unique_ptr<void, UnzCloser> zip(unzOpen64(path.c_str()));
  if (!zip) throw host::FileError(path, "不是有效的 xlsx 文件（无法作为 zip 打开）");
  std::error_code sizeUnknown;
  const std::uint64_t fileSize = std::filesystem::file_size(path, sizeUnknown);
  std::map<std::string, ZipPart> parts;
  std::uint64_t total = 0;
  int status = unzGoToFirstFile(zip.get());
  while (status == UNZ_OK) {
    if (static_cast<int>(parts.size()) >= limits.maxParts) throw host::FileError(path, "文件中的部件过多");
    // The name's length first, then the name itself: minizip does not end
    // a name that fills the buffer.
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
      throw host::FileError(path, "zip 目录已损坏");
    std::string partName(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(zip.get(), &info, partName.data(), static_cast<uLong>(partName.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK)
      throw host::FileError(path, "zip 目录已损坏");
    // Two parts of one name: which one a program reads is anybody's guess.
    if (parts.count(partName)) throw host::FileError(path, "zip 中有两个同名部件 " + partName);
    bool isFolder = !partName.empty() && partName.back() == '/';
    if (!isFolder) {
      // A part is held to the size and checksum the directory gives it, so
      // the limits are kept on the declared size.
      const std::string why = "部件 " + partName;
      total += info.uncompressed_size;
      if (info.uncompressed_size > limits.maxPartBytes) throw host::FileError(path, why + " 过大");
      const bool bomb = info.uncompressed_size > limits.ratioFloor &&
                        info.uncompressed_size / std::max<std::uint64_t>(1, info.compressed_size) > limits.maxRatio;
      if (bomb || total > limits.maxTotalBytes) throw host::FileError(path, why + " 解压后过大");
      // Neither can a part hold more packed bytes than the file, nor does
      // deflate grow a text by more than a little: a directory claiming so
      // lies, and is not given the memory.
      if ((!sizeUnknown && info.compressed_size > fileSize) ||
          info.compressed_size > info.uncompressed_size + info.uncompressed_size / 256 + 1024)
        throw host::FileError(path, why + " 已损坏或被截断");
      int method = 0, level = 0;
      if (unzOpenCurrentFile2(zip.get(), &method, &level, 1) != UNZ_OK || (method != 0 && method != Z_DEFLATED))
        throw host::FileError(path, "无法解压部件 " + partName);
      ZipPart part;
      part.size = info.uncompressed_size;
      part.crc = static_cast<std::uint32_t>(info.crc);
      part.packed.resize(static_cast<std::size_t>(info.compressed_size));
      for (std::size_t got = 0; got < part.packed.size();) {
        const auto want = static_cast<unsigned>(std::min<std::size_t>(part.packed.size() - got, 1u << 30));
        const int n = unzReadCurrentFile(zip.get(), part.packed.data() + got, want);
        if (n <= 0) {
          unzCloseCurrentFile(zip.get());
          throw host::FileError(path, why + " 已损坏或被截断");
        }
        got += static_cast<std::size_t>(n);
      }
      if (unzCloseCurrentFile(zip.get()) != UNZ_OK) throw host::FileError(path, why + " 已损坏或被截断");
      if (method == 0) {
        part.text = std::move(part.packed);
        if (part.text.size() != part.size || Crc32(0, part.text) != part.crc) throw host::FileError(path, why + " 校验失败");
      } else {
        part.deferred = true;
        // Large parts are inflated when they are read.
        if (part.size <= deferFrom) {
          if (const auto result = InflatePart(part); result != InflatedText::Result::Ended)
            throw host::FileError(path, why + (result == InflatedText::Result::Mismatch ? " 校验失败" : " 已损坏或被截断"));
        }
      }
      parts[partName] = std::move(part);
    }
    status = unzGoToNextFile(zip.get());
  }
  if (status != UNZ_END_OF_LIST_OF_FILE) throw host::FileError(path, "zip 目录已损坏");
  return parts;
}

namespace {
constexpr std::size_t kMaxWaitingBytes = 8u << 20;
}

ZipWriter::ZipWriter(const std::string& path) : path_(path), zip_(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)) {
  if (!zip_) throw host::FileError(path, "无法创建文件");
  try {
    deflater_ = std::thread([this] { deflateTasks(); });
  } catch (const std::system_error&) {
    // No second thread to be had (a browser without threads, a process at
    // its limit): each part is deflated as it is written.
  }
}

ZipWriter::~ZipWriter() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    tasks_.clear();
  }
  changed_.notify_all();
  if (deflater_.joinable()) deflater_.join();
  if (zip_) zipClose(zip_, nullptr);
}

void ZipWriter::post(Task task) {
  if (!deflater_.joinable()) {
    run(task);
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waitingBytes_ < kMaxWaitingBytes || error_; });
  if (error_) std::rethrow_exception(error_);
  waitingBytes_ += task.text.size();
  tasks_.push_back(std::move(task));
  lock.unlock();
  changed_.notify_all();
}

// The deflater's loop: tasks in order until the writer closes; after a
// failure the rest are dropped and the writer hears of it.
void ZipWriter::deflateTasks() {
  for (;;) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !tasks_.empty() || closing_; });
    if (tasks_.empty()) return;
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    const bool failedBefore = error_ != nullptr;
    lock.unlock();
    std::exception_ptr failed;
    if (!failedBefore) {
      try {
        run(task);
      } catch (...) {
        failed = std::current_exception();
      }
    }
    lock.lock();
    waitingBytes_ -= task.text.size();
    if (failed) error_ = failed;
    lock.unlock();
    changed_.notify_all();
  }
}

void ZipWriter::run(const Task& task) {
  const auto failed = [&] { return host::FileError(path_, "写入部件 " + part_ + " 失败"); };
  // The entry takes the deflated bytes as they are; its sizes and checksum
  // are given when it closes.
  const auto store = [&](std::string_view packed) {
    if (zipWriteInFileInZip(zip_, packed.data(), static_cast<unsigned>(packed.size())) != ZIP_OK) throw failed();
  };
  switch (task.kind) {
    case Task::Begin: {
      part_ = task.text;
      zip_fileinfo info{};
      info.tmz_date = {0, 0, 0, 1, 0, 1980};
      if (zipOpenNewFileInZip2_64(zip_, part_.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1,
                                  task.large ? 1 : 0) != ZIP_OK)
        throw failed();
      deflate_.begin();
      return;
    }
    case Task::Write:
      deflate_.add(task.text, store);
      return;
    case Task::End:
      deflate_.finish(store);
      if (zipCloseFileInZipRaw64(zip_, deflate_.size(), deflate_.crc()) != ZIP_OK) throw failed();
      return;
  }
}

void ZipWriter::begin(const std::string& part, bool large) { post({Task::Begin, part, large}); }

void ZipWriter::write(std::string_view piece) {
  if (!piece.empty()) post({Task::Write, std::string(piece)});
}

void ZipWriter::end() { post({Task::End, {}}); }

void ZipWriter::close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (deflater_.joinable()) deflater_.join();
  if (error_) std::rethrow_exception(error_);
  void* zip = zip_;
  zip_ = nullptr;
  if (zipClose(zip, nullptr) != ZIP_OK) throw host::FileError(path_, "写入文件失败");
}

void WriteZip(const std::string& path, const std::map<std::string, std::string>& parts) {
  ZipWriter zip(path);
  // [Content_Types].xml first, as readers that stream the archive expect.
  std::vector<const std::pair<const std::string, std::string>*> order;
  for (const auto& p : parts)
    if (p.first == "[Content_Types].xml") order.insert(order.begin(), &p);
    else order.push_back(&p);
  for (const auto* p : order) {
    zip.begin(p->first, p->second.size() > 0xFFFFFFFFull);
    zip.write(p->second);
    zip.end();
  }
  zip.close();
}

}  // namespace tavo::xlsx
