#include <gtest/gtest.h>

#include <string>

#include "model/Digest.h"

namespace tallowmark {
namespace {

ByteView Bytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

// The published test vectors, fed whole and in uneven pieces that cross the 64-byte blocks.
TEST(Digest, KnownVectorsWholeAndInPieces) {
    const std::string million(1'000'000, 'a');
    const struct {
        std::string text;
        const char *sha256, *md5;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", "900150983cd24fb0d6963f7d28e17f72"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1", "8215ef0796a20bcaaae116d3876c664a"},
        {million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.text.substr(0, 16));
        Sha256 sha256;
        Md5 md5;
        sha256.Update(Bytes(vector.text));
        md5.Update(Bytes(vector.text));
        EXPECT_EQ(HexDigest(sha256.Final()), vector.sha256);
        EXPECT_EQ(HexDigest(md5.Final()), vector.md5);
        Sha256 pieces;
        Md5 md5Pieces;
        std::string_view rest = vector.text;
        for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 % 97 + 1) {
            const std::string_view part = rest.substr(0, piece);
            pieces.Update(Bytes(part));
            md5Pieces.Update(Bytes(part));
            rest.remove_prefix(part.size());
        }
        EXPECT_EQ(HexDigest(pieces.Final()), vector.sha256);
        EXPECT_EQ(HexDigest(md5Pieces.Final()), vector.md5);
    }
}

}  // namespace
}  // namespace tallowmark
