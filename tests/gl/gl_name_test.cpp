#include "gl/gl_name.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<GLuint> deleted;

void record_delete(GLuint name) noexcept {
    deleted.push_back(name);
}

using name = gl::unique_name<record_delete>;

TEST(UniqueName, DeletesOnlyNonZeroNamesOnce) {
    deleted.clear();
    { name empty; }
    { name zero(0); }
    { name owned(7); }
    EXPECT_EQ(deleted, std::vector<GLuint>{7});

    name reset_me(8);
    reset_me.reset();
    reset_me.reset();
    EXPECT_EQ(reset_me.get(), 0u);
    EXPECT_EQ(deleted, (std::vector<GLuint>{7, 8}));
}

TEST(UniqueName, MovesTransferAndAssignmentDeletesOwnNameFirst) {
    deleted.clear();
    {
        name source(3);
        name taken(std::move(source));
        EXPECT_EQ(source.get(), 0u);
        EXPECT_EQ(taken.get(), 3u);

        name target(4);
        target = std::move(taken);
        EXPECT_EQ(deleted, std::vector<GLuint>{4});
        EXPECT_EQ(target.get(), 3u);
        EXPECT_EQ(taken.get(), 0u);

        name& alias = target;
        target = std::move(alias);
        EXPECT_EQ(target.get(), 3u);
        EXPECT_EQ(deleted, std::vector<GLuint>{4}) << "self-assignment keeps the name";
    }
    EXPECT_EQ(deleted, (std::vector<GLuint>{4, 3})) << "moved-from owners delete nothing";
}

} // namespace
