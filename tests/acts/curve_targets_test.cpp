// Curves aimed at a uniform that no program uses: after the programs link, one warning a name, with the
// closest float or vec3 uniform the programs have; a shader reload checks again.

#include "acts/piece_act.hpp"
#include "core/core_module.hpp"
#include "player/player.hpp"
#include "support/capture_logger.hpp"
#include "support/run_folder.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const fs::path source_dir(ENGINE_SOURCE_DIR);

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The stock scene fragment shader with `extra` vec3 uniforms added to the ambient light.
std::string fragment_with(const std::vector<std::string>& extra) {
    std::string declared;
    std::string sum = "ambient_light";
    for (const std::string& name : extra) {
        declared += "uniform vec3 " + name + ";\n";
        sum += " + " + name;
    }
    const std::string stock = test_support::read_file(source_dir / "shaders/cube.frag");
    return replaced(replaced(stock, "uniform vec3 ambient_light;\n", "uniform vec3 ambient_light;\n" + declared),
                    "vec3 color = ambient_light * albedo;", "vec3 color = (" + sum + ") * albedo;");
}

TEST(CurveTargets, ACurveThatFeedsNoUniformIsNamedOnceWithTheClosestOne) {
    test_support::run_folder folder;
    folder.write("config.ini", test_support::small_config("curve-targets"));
    folder.write("moon.frag", fragment_with({"moonlight"}));
    const std::string courtyard = test_support::read_file(source_dir / "pieces/courtyard.toml");
    folder.write("moon.toml", replaced(courtyard, R"("shaders/cube.frag"])", R"("moon.frag"])") + R"(
[[curves]]
target = "moonligth"
default = [0.0, 0.0, 0.1]

[[curves]]
target = "glow_amount"
default = 1.0

[[curves]]
target = "moonlight"
default = [0.0, 0.0, 0.0]
)");
    const test_support::scoped_cwd cwd(folder.path());
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const auto log = std::make_shared<test_support::capture_log>();
    auto core = std::make_unique<core_module>();
    core->log_manager.add_logger(std::make_unique<test_support::capture_logger>(log, logger::level::debug));
    auto host = std::make_unique<player>(core.get(), fs::path("moon.toml"));
    int syncs = 0;
    // The warnings logged since the last look.
    std::size_t seen = 0;
    const auto new_warnings = [&] {
        const std::string marker = "curve targets sync " + std::to_string(++syncs);
        core->log_manager.critical(marker);
        EXPECT_TRUE(log->wait_for_message(marker));
        std::vector<std::string> warnings;
        const std::vector<test_support::captured_record> all = log->records();
        for (std::size_t i = seen; i < all.size(); ++i)
            if (all[i].record.level == logger::level::warning) warnings.push_back(all[i].record.message);
        seen = all.size();
        return warnings;
    };
    EXPECT_EQ(new_warnings(),
              (std::vector<std::string>{
                  "the curve 'moonligth' feeds no uniform of the scene or particle programs; did you mean "
                  "'moonlight'?",
                  "the curve 'glow_amount' feeds no uniform of the scene or particle programs"}));

    // The shader now reads the misspelt name too: only the other curve is left unfed.
    auto& act = dynamic_cast<piece_act&>(*host->act);
    folder.write("moon.frag", fragment_with({"moonlight", "moonligth"}));
    const std::vector<std::string> changed{act.piece.scene_shaders[1]};
    EXPECT_EQ(act.reload_shaders(*host, changed).built, 1);
    EXPECT_EQ(new_warnings(), (std::vector<std::string>{"the curve 'glow_amount' feeds no uniform of the scene "
                                                        "or particle programs"}));

    host.reset();
    core.reset();
}

} // namespace
