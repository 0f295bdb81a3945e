// House rules that the compiler cannot check: Qt only under src/platform/, and no shell
// interpreter anywhere.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "TestSupport.h"

namespace {

void CollectSources(const std::string& folder, std::vector<std::string>* files) {
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode))
            CollectSources(path, files);
        else if (std::regex_search(name, std::regex(R"(\.(cpp|h|inc)$)")))
            files->push_back(path);
    }
}

std::vector<std::string> Sources() {
    std::vector<std::string> files;
    CollectSources(std::string(JOTCRATE_SOURCE_DIR) + "/src", &files);
    return files;
}

TEST(Boundary, QtIsIncludedOnlyUnderPlatform) {
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"]Q[A-Za-z])", std::regex::multiline);
    std::vector<std::string> files = Sources();
    ASSERT_GT(files.size(), 10u);
    for (const std::string& path : files) {
        if (path.find("/src/platform/") != std::string::npos) continue;
        EXPECT_FALSE(std::regex_search(ReadFileBytes(path), qtInclude)) << path << " includes Qt";
    }
}

TEST(Boundary, NoShellInterpreterIsEverStarted) {
    const std::regex shellCall(R"(\b(system|popen)\s*\()");
    for (const std::string& path : Sources())
        EXPECT_FALSE(std::regex_search(ReadFileBytes(path), shellCall)) << path << " starts a shell";
}

}  // namespace
