#pragma once
// The MD5 message digest (RFC 1321). The program keeps passwords only as this digest, taken over
// the password's GBK bytes so that a digest stored on Windows still matches.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMd5 {
public:
    CMd5();
    virtual ~CMd5() = default;

    void Update(const void* bytes, std::size_t length);
    // Pads and finishes; the digest as 32 lower-case hexadecimal digits. The context is then reset.
    std::string Final();

private:
    void Transform(const unsigned char block[64]);
    void Reset();

    std::uint32_t m_state[4];
    std::uint64_t m_bitCount;
    unsigned char m_buffer[64];
};

// The digest of the bytes as 32 lower-case hexadecimal digits.
std::string Md5HexDigest(const void* bytes, std::size_t length);
// Replaces a password by the digest of its GBK bytes. Text that GBK cannot hold (which the password
// boxes refuse) is digested as its UTF-8 bytes.
void Md5HexInPlace(std::string& text);
