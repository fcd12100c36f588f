// Parts deflated and inflated in pieces come back byte for byte, and other
// programs' inflaters read what we deflate.
#include "host/xlsx/deflate_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

namespace tavo::testing {
namespace {

// Sheet-like text: repetitive markup with numbers that do not repeat.
std::string SheetLikeText(std::size_t bytes) {
  std::mt19937 random(7);
  std::string text;
  for (int row = 1; text.size() < bytes; ++row)
    text += "<row r=\"" + std::to_string(row) + "\"><c r=\"C" + std::to_string(row) + "\" s=\"10\"><v>" +
            std::to_string(random() % 1500 / 10.0) + "</v></c></row>";
  return text;
}

std::string Deflated(const std::string& text, std::size_t piece, xlsx::DeflateStream& stream) {
  std::string packed;
  auto sink = [&](std::string_view out) { packed.append(out); };
  stream.begin();
  for (std::size_t at = 0; at < text.size(); at += piece) stream.add(std::string_view(text).substr(at, piece), sink);
  stream.finish(sink);
  return packed;
}

std::string ZlibInflated(const std::string& packed, std::size_t size) {
  std::string text(size + 1, '\0');
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(text.data());
  z.avail_out = static_cast<uInt>(text.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  text.resize(z.total_out);
  inflateEnd(&z);
  return text;
}

TEST(DeflateStreamTest, PartsComeBackWholeWhateverTheirPieces) {
  const std::string text = SheetLikeText(3u << 20);
  xlsx::DeflateStream stream;  // one stream, part after part, as the writer uses it
  for (std::size_t piece : {std::size_t{1} << 18, std::size_t{4093}, text.size()}) {
    const std::string packed = Deflated(text, piece, stream);
    EXPECT_LT(packed.size(), text.size() / 4) << "markup this repetitive deflates well";
    EXPECT_EQ(stream.size(), text.size());
    EXPECT_EQ(stream.crc(), crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
    EXPECT_EQ(ZlibInflated(packed, text.size()), text) << "another inflater reads it";

    // Packed pieces of any size, into a string with no room reserved.
    for (std::size_t packedPiece : {std::size_t{1}, std::size_t{65536}}) {
      std::string back;
      xlsx::InflateStream inflate(back, text.size());
      auto result = xlsx::InflateStream::Result::NeedsInput;
      for (std::size_t at = 0; at < packed.size() && result == xlsx::InflateStream::Result::NeedsInput;
           at += packedPiece)
        result = inflate.add(std::string_view(packed).substr(at, packedPiece));
      EXPECT_EQ(result, xlsx::InflateStream::Result::Ended);
      EXPECT_TRUE(back == text) << "pieces of " << piece << " and " << packedPiece;
    }
  }

  const std::string empty = Deflated("", 1, stream);
  std::string back = "left over";
  xlsx::InflateStream inflate(back, 100);
  EXPECT_EQ(inflate.add(empty), xlsx::InflateStream::Result::Ended);
  EXPECT_EQ(back, "");
}

TEST(DeflateStreamTest, InflatingStopsAtTheLimitAndOnDamage) {
  const std::string text = SheetLikeText(1u << 20);
  xlsx::DeflateStream stream;
  const std::string packed = Deflated(text, 1u << 16, stream);

  std::string back;
  back.reserve(text.size() * 2);  // reserved room is no licence to pass the limit
  xlsx::InflateStream limited(back, text.size() - 1);
  EXPECT_EQ(limited.add(packed), xlsx::InflateStream::Result::Full);
  EXPECT_LE(back.size(), text.size() - 1);

  xlsx::InflateStream truncated(back, text.size());
  EXPECT_EQ(truncated.add(std::string_view(packed).substr(0, packed.size() / 2)),
            xlsx::InflateStream::Result::NeedsInput);

  std::string garbage(4096, '\xff');
  xlsx::InflateStream damaged(back, text.size());
  EXPECT_EQ(damaged.add(garbage), xlsx::InflateStream::Result::Corrupt);
}

}  // namespace
}  // namespace tavo::testing
