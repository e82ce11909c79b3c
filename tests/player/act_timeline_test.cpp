#include "player/act_timeline.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Records its begin calls in a log shared by all acts of a test.
class recording_act : public abstract_act {
public:
    recording_act(std::string name, std::vector<std::string>& log)
        : name_(std::move(name))
        , log_(log) {}
    void begin() override { log_.push_back(name_); }
    void step(player&) override {}
    void draw(player&) override {}
    void rewind() override {}

private:
    std::string name_;
    std::vector<std::string>& log_;
};

using names = std::vector<std::string>;

TEST(ActTimeline, EmptyTimelineHasNoAct) {
    act_timeline timeline;
    EXPECT_EQ(timeline.current_act(0.0), nullptr);
    EXPECT_EQ(timeline.current_act(100.0), nullptr);
    EXPECT_EQ(timeline.current, -1);
}

TEST(ActTimeline, FirstActRendersBeforeItsStartWithoutBegin) {
    names begun;
    recording_act first("first", begun);
    act_timeline timeline;
    timeline.add_act(&first, 5.0);
    EXPECT_EQ(timeline.current_act(1.0), &first);
    EXPECT_EQ(timeline.current_act(5.0), &first);
    EXPECT_TRUE(begun.empty());
    EXPECT_EQ(timeline.current, -1);

    EXPECT_EQ(timeline.current_act(5.01), &first);
    EXPECT_EQ(begun, names{"first"});
    EXPECT_EQ(timeline.current, 0);
    EXPECT_EQ(timeline.current_act(6.0), &first);
    EXPECT_EQ(begun, names{"first"});
}

TEST(ActTimeline, SecondActTakesOverStrictlyAfterItsStart) {
    names begun;
    recording_act first("first", begun);
    recording_act second("second", begun);
    act_timeline timeline;
    timeline.add_act(&first, 0.0);
    timeline.add_act(&second, 10.0);
    ASSERT_EQ(timeline.entries.size(), 2u);
    EXPECT_EQ(timeline.entries[1].first, 10.0);

    EXPECT_EQ(timeline.current_act(0.0), &first);
    EXPECT_TRUE(begun.empty());
    for (const double t : {0.016, 3.0, 9.99, 10.0})
        EXPECT_EQ(timeline.current_act(t), &first) << t;
    EXPECT_EQ(begun, names{"first"});

    EXPECT_EQ(timeline.current_act(10.016), &second);
    EXPECT_EQ(begun, (names{"first", "second"}));
    EXPECT_EQ(timeline.current_act(50.0), &second);
    EXPECT_EQ(timeline.current_act(5.0), &second); // the schedule never goes back
    EXPECT_EQ(begun, (names{"first", "second"}));
    EXPECT_EQ(timeline.current, 1);
}

TEST(ActTimeline, StartsPassedTogetherBeginOnePerCall) {
    names begun;
    recording_act a("a", begun), b("b", begun), c("c", begun);
    act_timeline timeline;
    timeline.add_act(&a, 1.0);
    timeline.add_act(&b, 2.0);
    timeline.add_act(&c, 3.0);

    EXPECT_EQ(timeline.current_act(100.0), &a);
    EXPECT_EQ(begun, names{"a"});
    EXPECT_EQ(timeline.current_act(100.0), &b);
    EXPECT_EQ(begun, (names{"a", "b"}));
    EXPECT_EQ(timeline.current_act(100.0), &c);
    EXPECT_EQ(timeline.current_act(100.0), &c);
    EXPECT_EQ(begun, (names{"a", "b", "c"}));
    EXPECT_EQ(timeline.current, 2);
}

} // namespace
