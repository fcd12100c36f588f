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

    // Read back in pieces of any size, each dropped once read.
    const auto crc = static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
    for (std::size_t textPiece : {std::size_t{1000}, std::size_t{1} << 20}) {
      xlsx::InflatedText in(packed, text.size(), crc);
      std::string back;
      auto result = xlsx::InflatedText::Result::More;
      while (result == xlsx::InflatedText::Result::More) {
        result = in.more(textPiece);
        back.append(in.text());
        in.drop(in.text().size());
      }
      EXPECT_EQ(result, xlsx::InflatedText::Result::Ended);
      EXPECT_EQ(in.dropped(), text.size());
      EXPECT_TRUE(back == text) << "pieces of " << piece << " and " << textPiece;
    }
  }

  const std::string empty = Deflated("", 1, stream);
  xlsx::InflatedText in(empty, 0, 0);
  EXPECT_EQ(in.more(100), xlsx::InflatedText::Result::Ended);
  EXPECT_EQ(in.take(), "");
}

TEST(DeflateStreamTest, InflatingStopsAtTheDeclaredSizeAndOnDamage) {
  const std::string text = SheetLikeText(1u << 20);
  xlsx::DeflateStream stream;
  const std::string packed = Deflated(text, 1u << 16, stream);
  const std::uint32_t crc = stream.crc();
  auto whole = [](xlsx::InflatedText& in) {
    auto result = xlsx::InflatedText::Result::More;
    while (result == xlsx::InflatedText::Result::More) result = in.more(1u << 16);
    return result;
  };

  xlsx::InflatedText sound(packed, text.size(), crc);
  EXPECT_EQ(whole(sound), xlsx::InflatedText::Result::Ended);
  EXPECT_TRUE(sound.take() == text);

  xlsx::InflatedText shorter(packed, text.size() - 1, crc);
  EXPECT_EQ(whole(shorter), xlsx::InflatedText::Result::Mismatch) << "more than the directory declares";
  xlsx::InflatedText longer(packed, text.size() + 1, crc);
  EXPECT_EQ(whole(longer), xlsx::InflatedText::Result::Mismatch);
  xlsx::InflatedText otherChecksum(packed, text.size(), crc ^ 1);
  EXPECT_EQ(whole(otherChecksum), xlsx::InflatedText::Result::Mismatch);

  xlsx::InflatedText truncated(std::string_view(packed).substr(0, packed.size() / 2), text.size(), crc);
  EXPECT_EQ(whole(truncated), xlsx::InflatedText::Result::Corrupt);

  const std::string garbage(4096, '\xff');
  xlsx::InflatedText damaged(garbage, text.size(), crc);
  EXPECT_EQ(whole(damaged), xlsx::InflatedText::Result::Corrupt);
}

}  // namespace
}  // namespace tavo::testing
