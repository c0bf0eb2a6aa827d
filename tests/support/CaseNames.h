#pragma once
// Readable names for the cases of a parameterised suite: each case names itself in its `name`,
// which becomes the test's name and what ctest shows for its parameter.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <string_view>

// The words of the text run together, each capitalised: "a room of two" -> "ARoomOfTwo".
inline std::string TestNameOf(std::string_view text)
{
    std::string name;
    bool wordStart = true;
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            wordStart = true;
            continue;
        }
        name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        wordStart = false;
    }
    return name;
}

// The name generator of INSTANTIATE_TEST_SUITE_P for cases with a `name`.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        return TestNameOf(info.param.name);
    }
};

// Prints a case as its name; a suite's PrintTo for its case type calls it.
template <class Case>
void PrintCaseName(const Case& c, std::ostream* out)
{
    *out << c.name;
}
