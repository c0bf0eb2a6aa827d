#pragma once
// GBK bytes of UTF-8 test text, for comparing files byte for byte.
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

inline std::string Gbk(std::string_view utf8)
{
    std::string out;
    EXPECT_TRUE(zem::Utf8ToGbk(utf8, out)) << utf8;
    return out;
}

// Replaces the one occurrence of `from` in the bytes.
inline std::string ReplaceBytesOnce(std::string bytes, std::string_view from, std::string_view to)
{
    const std::size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(bytes.find(from, at + 1), std::string::npos) << from;
    return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

// The same with UTF-8 text, compared as GBK.
inline std::string ReplaceOnce(std::string bytes, std::string_view from, std::string_view to)
{
    return ReplaceBytesOnce(std::move(bytes), Gbk(from), Gbk(to));
}
