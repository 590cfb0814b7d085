// Replays every file of the regression corpus the way an opened file goes, and checks that it
// ends in the outcome its README line names, within a bound.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/JpegFixtures.h"
#include "support/OpenAndShrink.h"

#ifndef VANTORO_CORPUS_DIR
#error "VANTORO_CORPUS_DIR must name the corpus folder"
#endif

namespace {

// file name -> outcome, from the table rows "| file | outcome | what it is |" of the README.
std::map<std::string, std::string> ExpectedOutcomes() {
    std::map<std::string, std::string> expected;
    std::ifstream readme(std::string(VANTORO_CORPUS_DIR) + "/README.md");
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("| `", 0) != 0)
            continue;
        std::stringstream cells(line);
        std::string skip, file, outcome;
        std::getline(cells, skip, '|');
        std::getline(cells, file, '|');
        std::getline(cells, outcome, '|');
        const auto trim = [](std::string s) {
            const auto first = s.find_first_not_of(" `");
            const auto last = s.find_last_not_of(" `");
            return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
        };
        expected[trim(file)] = trim(outcome);
    }
    return expected;
}

}  // namespace

TEST(Corpus, EveryFileEndsInItsDocumentedOutcome) {
    const auto expected = ExpectedOutcomes();
    ASSERT_FALSE(expected.empty());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VANTORO_CORPUS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name == "README.md")
            continue;
        ++files;
        const auto it = expected.find(name);
        ASSERT_NE(it, expected.end()) << name << " has no line in the README";
        const fixtures::Bytes bytes = fixtures::ReadFile(entry.path().string());
        EXPECT_LT(bytes.size(), 64u * 1024) << name;
        const auto start = std::chrono::steady_clock::now();
        const fixtures::Outcome outcome = fixtures::OpenAndShrink(bytes.data(), bytes.size());
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(fixtures::OutcomeName(outcome), it->second) << name;
        // A guard against hangs, not a speed goal: sanitizer builds are many times slower.
        EXPECT_LT(seconds, 20.0) << name;
    }
    EXPECT_EQ(files, expected.size()) << "the README names files that are missing";
}
