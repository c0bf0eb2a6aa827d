// The MD5 digest against RFC 1321's test suite, and passwords digested over their GBK bytes.
#include "app/shared/Md5.h"

#include <gtest/gtest.h>

namespace {

std::string Digest(const std::string& text)
{
    return Md5HexDigest(text.data(), text.size());
}

TEST(Md5, Rfc1321TestSuite)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(Digest(text), digest) << text;
}

TEST(Md5, BlockBoundariesAndPiecewiseInput)
{
    // Lengths around the 56-byte padding limit and the 64-byte block, against digests computed
    // independently (md5sum of that many "a").
    const std::pair<int, const char*> cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},
        {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},
    };
    for (const auto& [length, digest] : cases) {
        const std::string text(static_cast<std::size_t>(length), 'a');
        EXPECT_EQ(Digest(text), digest) << length;
        CMd5 md5;  // the same bytes in pieces of 1, 2, 3, ... bytes
        std::size_t at = 0;
        for (std::size_t piece = 1; at < text.size(); ++piece) {
            const std::size_t take = std::min(piece, text.size() - at);
            md5.Update(text.data() + at, take);
            at += take;
        }
        EXPECT_EQ(md5.Final(), digest) << length;
    }
}

TEST(Md5, LeadingZeroBytesKeepThirtyTwoDigits)
{
    // md5("jk8ssl") begins with a zero byte.
    EXPECT_EQ(Digest("jk8ssl"), "0000000018e6137ac2caab16074784a6");
}

TEST(Md5, PasswordsAreDigestedOverTheirGbkBytes)
{
    std::string password = "abc";
    Md5HexInPlace(password);
    EXPECT_EQ(password, "900150983cd24fb0d6963f7d28e17f72");
    // "排课" is C5C5 BFCE in GBK; the digest of those four bytes, not of the six UTF-8 bytes.
    std::string chinese = "排课";
    Md5HexInPlace(chinese);
    EXPECT_EQ(chinese, "3e4b07a1b14b7c5e8d0cb50516dc6453");
}

}  // namespace
