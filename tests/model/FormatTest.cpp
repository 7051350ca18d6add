#include <gtest/gtest.h>

#include <vector>

#include "model/Format.h"

namespace tallowmark {
namespace {

ByteView View(const std::vector<std::uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }
std::vector<std::uint8_t> Sig(const char* text) { return {text, text + 4}; }

TEST(RecogniseBlock, KnownSignaturesTakeTheirCountUnlessZeroOrBadFood) {
    for (const char* signature : {"URL ", "LEAK", "HASH", "REDR"}) {
        const auto sig = Sig(signature);
        EXPECT_EQ(RecogniseBlock(View(sig), 32).lengthInBytes, 4096u) << signature;
        EXPECT_EQ(RecogniseBlock(View(sig), 0).lengthInBytes, 128u) << signature;
        EXPECT_EQ(RecogniseBlock(View(sig), BAD_FOOD_PATTERN).lengthInBytes, 128u) << signature;
    }
    EXPECT_EQ(RecogniseBlock(View(Sig("URL ")), 3).kind, BlockKind::Url);
    EXPECT_EQ(RecogniseBlock(View(Sig("LEAK")), 3).kind, BlockKind::Leak);
    EXPECT_EQ(RecogniseBlock(View(Sig("HASH")), 3).kind, BlockKind::Hash);
    EXPECT_EQ(RecogniseBlock(View(Sig("REDR")), 3).kind, BlockKind::Redirect);
}

TEST(RecogniseBlock, FillBlocksAreOneBlockWhateverTheirCount) {
    const std::vector<std::uint8_t> zero(4, 0), badFood{0x0D, 0xF0, 0xAD, 0x0B};
    EXPECT_EQ(RecogniseBlock(View(zero), 99).kind, BlockKind::Blank);
    EXPECT_EQ(RecogniseBlock(View(zero), 99).lengthInBytes, 128u);
    EXPECT_EQ(RecogniseBlock(View(badFood), 99).kind, BlockKind::BadFood);
    EXPECT_EQ(RecogniseBlock(View(badFood), 99).lengthInBytes, 128u);
}

TEST(RecogniseBlock, SignaturesMatchExactly) {
    for (const char* signature : {"url ", "URL\0", "HASh", "XXXX"}) {
        const std::vector<std::uint8_t> sig(signature, signature + 4);
        EXPECT_EQ(RecogniseBlock(View(sig), 5).kind, BlockKind::Unrecognised) << signature;
        EXPECT_EQ(RecogniseBlock(View(sig), 5).lengthInBytes, 128u);
    }
}

TEST(RecogniseBlock, LargestCountDoesNotWrap) {
    EXPECT_EQ(RecogniseBlock(View(Sig("HASH")), 0xFFFFFFFFu).lengthInBytes, 0xFFFFFFFFull * 128);
}

TEST(ByteReads, StopAtTheEndOfTheBytes) {
    const std::vector<std::uint8_t> bytes{0x01, 0x02, 0x03, 'a', 'b'};
    EXPECT_EQ(ReadU32(View(bytes), 0), 0x61030201u);
    EXPECT_EQ(ReadU32(View(bytes), 3), 0x6261u);  // the missing bytes read as zero
    EXPECT_EQ(ReadU32(View(bytes), 5), 0u);
    EXPECT_EQ(ReadU32(View(bytes), 1000), 0u);
    EXPECT_EQ(TextAt(View(bytes), 3), "ab");  // no NUL: the text ends with the bytes
    EXPECT_EQ(TextAt(View(bytes), 5), "");
    const std::vector<std::uint8_t> withNul{'x', 0, 'y'};
    EXPECT_EQ(TextAt(View(withNul), 0), "x");
}

}  // namespace
}  // namespace tallowmark
