#include "core/exceptions.hpp"
#include "logger/level.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

namespace {

using logger::level;

TEST(Level, NamesRoundTripAndTagsAreEightCharacterUpperCaseNames) {
    const char* names[] = {"Debug", "Info", "Warning", "Error", "Critical"};
    for (int i = 0; i < 5; ++i) {
        const auto lvl = static_cast<level>(i);
        EXPECT_STREQ(logger::level_to_string(lvl), names[i]);
        EXPECT_EQ(logger::level_from_string(names[i]), lvl);
        std::string upper = names[i];
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(std::string(logger::level_to_padded_string(lvl)), std::string(8 - upper.size(), ' ') + upper);
    }
    EXPECT_LT(level::debug, level::critical);
}

TEST(Level, ValuesOutsideTheTableHaveEmptyNames) {
    for (int value : {-1, 5, 1000}) {
        EXPECT_STREQ(logger::level_to_string(static_cast<level>(value)), "");
        EXPECT_STREQ(logger::level_to_padded_string(static_cast<level>(value)), "");
    }
}

TEST(Level, ParsingIsExactAndCaseSensitive) {
    for (const char* text : {"warning", "INFO", "", "Info ", "Debugger"}) {
        try {
            logger::level_from_string(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), std::string("level_from_string(): invalid argument: ") + text);
        }
    }
}

} // namespace
