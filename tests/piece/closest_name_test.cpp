// The suggestion of "did you mean ...?": the nearest known name, only when it is close.

#include "piece/closest_name.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ClosestName, SuggestsOnlyANameWithinTwoEditsOrAThirdOfTheLength) {
    const std::vector<std::string> known{"moonlight", "interval", "light1_position", "light2_position", "time",
                                         "fade_to_black_multiplier"};
    const struct {
        const char* wrong;
        std::optional<std::string> suggested;
    } cases[] = {
        {"moonligth", "moonlight"},       // two neighbours swapped: one edit
        {"intervall", "interval"},        // one added
        {"intrvl", "interval"},           // two left out
        {"light3_position", "light1_position"}, // a tie goes to the first known
        {"tme", "time"},
        {"xyz", std::nullopt},            // three edits from "time": too far for a short name
        {"fade_to_blak_multiplyr", "fade_to_black_multiplier"}, // three edits, within a third of 22
        {"mo0nl1gh7", "moonlight"},       // three edits, a third of 9
        {"m00nl1gh7", std::nullopt},      // four
        {"interval", std::nullopt},       // a known name is no mistake
        {"", std::nullopt},
        {"tim", "time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wrong);
        EXPECT_EQ(piece::closest_name(c.wrong, known), c.suggested);
    }
    EXPECT_EQ(piece::closest_name("anything", {}), std::nullopt);
    EXPECT_EQ(piece::closest_name(std::string(300, 'a'), {std::string(299, 'a')}), std::nullopt)
        << "names beyond 256 characters are not compared";
}

} // namespace
