#pragma once
// One broken input at a time, end to end: the real program in a scratch run folder under Xvfb with
// dummy audio. Each case says whether the program plays on (it is then closed once the frame loop has
// run) or refuses to start, and which text on the standard error stream tells the user why.

#include "support/demo_run.hpp"
#include "support/process.hpp"
#include "support/run_folder.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"
#include "support/x_window.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace bad_input {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::child_process;
using test_support::run_folder;

struct case_t {
    std::string name;
    std::function<void(const run_folder&)> breaks;
    bool plays;          // true: plays on and ends with status 0 when closed; false: refuses with status 1
    std::string message; // must be on the standard error stream; for a refusal, in its last line
};

inline void PrintTo(const case_t& c, std::ostream* out) { *out << c.name; }

inline std::string case_name(const ::testing::TestParamInfo<case_t>& info) { return info.param.name; }

const std::string title = "bad-input";
const std::string construction_done = "Linking particle shaders to a program object... Success.";

inline std::string source_file(const std::string& name) {
    return test_support::read_file(fs::path(ENGINE_SOURCE_DIR) / name);
}

// One textured triangle.
const std::string triangle_obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n"
                                 "f 1/1/1 2/2/1 3/3/1\n";

// The folder every case starts from: the small window, a triangle for the courtyard with a material
// that names no map (the big atlas is not decoded in every case) and a 0.3-second music.
inline void write_base(const run_folder& folder) {
    folder.write("config.ini", test_support::small_config(title));
    folder.write("assets/toristin.obj", triangle_obj);
    folder.write("assets/toristin.mtl", "newmtl stone\nKd 0.8 0.8 0.8\n");
    folder.write("assets/dat_bass.wav", test_support::wav_bytes(test_support::test_tone(6615), 2, 22050));
}

// shaders/ as a folder of copies instead of the link to the repository's, so one can be broken.
inline void copy_shaders(const run_folder& folder) {
    folder.copy_shaders();
}

// The record texts (time stamps cut off) of a log, continuation lines included; other lines (the
// program's last words) are left out.
inline std::vector<std::string> records_of(const std::string& log) {
    std::vector<std::string> records;
    std::istringstream lines(log);
    std::string line;
    bool in_record = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find("] ");
            records.push_back(close == std::string::npos ? line : line.substr(close + 2));
            in_record = true;
        } else if (in_record && !line.empty() && line[0] == ' ') {
            records.back() += "\n" + line;
        } else {
            in_record = false;
        }
    }
    return records;
}

inline std::string last_line(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return {};
    const std::size_t begin = text.rfind('\n', end);
    return text.substr(begin == std::string::npos ? 0 : begin + 1, end + 1 - (begin == std::string::npos ? 0 : begin + 1));
}

inline void run_case(const case_t& c) {
    run_folder folder;
    write_base(folder);
    c.breaks(folder);
    const fs::path config = folder.path() / "config.ini";
    const std::optional<std::string> config_before =
        fs::exists(config) ? std::optional(test_support::read_file(config)) : std::nullopt;

    const auto deadline = std::chrono::steady_clock::now() + 20s;
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    };
    child_process process(test_support::demo_program(), {}, folder.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    if (c.plays) {
        // The 0.3-second music has played out inside the frame loop: frames are being rendered.
        ASSERT_TRUE(child_process::eventually(
            [&] { return process.err().find("Music stopped.") != std::string::npos || !process.running(); }, left()))
            << "no frame loop within 20 s\n" << process.err();
        ASSERT_TRUE(process.running()) << process.err();
        ASSERT_TRUE(test_support::request_close(title));
    }
    ASSERT_TRUE(process.wait(left())) << "still running after 20 s\n" << process.err();

    const std::string err = process.err();
    EXPECT_EQ(process.status(), c.plays ? 0 : 1) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << "missing on stderr: " << c.message << "\n" << err;
    if (!c.plays) {
        EXPECT_NE(last_line(err).find(c.message), std::string::npos) << err;
    }

    // test.log holds every record the console got, up to the shutdown record.
    if (fs::is_regular_file(folder.path() / "test.log")) {
        const std::string log = folder.read("test.log");
        for (const std::string& record : records_of(err)) {
            // Submitted before the loggers are attached, this one may reach the console alone.
            if (record.find("Core initialization at ") != std::string::npos) continue;
            EXPECT_NE(log.find(record), std::string::npos) << record;
        }
        EXPECT_NE(log.find("INFO: Core shutdown at "), std::string::npos) << log;
        // A fault that repeats every frame reports itself a bounded number of times.
        std::map<std::string, int> copies;
        for (const std::string& record : records_of(log)) {
            if (record.find("OpenGL message,") != std::string::npos) ++copies[record];
        }
        for (const auto& [record, count] : copies) EXPECT_LE(count, 10) << record;
    }

    EXPECT_EQ(fs::exists(config) ? std::optional(test_support::read_file(config)) : std::nullopt, config_before)
        << "config.ini is never written";
}

// Case builders.
inline std::function<void(const run_folder&)> file_written(const std::string& file, const std::string& content) {
    return [=](const run_folder& folder) { folder.write(file, content); };
}
inline std::function<void(const run_folder&)> file_removed(const std::string& file) {
    return [=](const run_folder& folder) { folder.remove(file); };
}
// The entry replaced by an empty folder, by a link to target, or by a file of that size full of holes
// (nothing is written through the link to the repository's file).
inline std::function<void(const run_folder&)> folder_made(const std::string& file) {
    return [=](const run_folder& folder) {
        folder.remove(file);
        fs::create_directory(folder.path() / file);
    };
}
inline std::function<void(const run_folder&)> link_made(const std::string& file, const fs::path& target) {
    return [=](const run_folder& folder) {
        folder.remove(file);
        fs::create_symlink(target, folder.path() / file);
    };
}
inline std::function<void(const run_folder&)> file_sized(const std::string& file, std::uintmax_t size) {
    return [=](const run_folder& folder) { fs::resize_file(folder.write(file, ""), size); };
}

} // namespace bad_input
