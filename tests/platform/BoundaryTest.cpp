// House rules that the compiler cannot check: each system's headers only in its own backend
// under src/platform/, the platform's own headers free of the program, and no shell
// interpreter anywhere, and nothing with a destructor kept per thread.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <regex>

#include "TestSupport.h"

namespace {

void CollectSources(const std::string& folder, std::vector<std::string>* files) {
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = folder + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) CollectSources(path, files);
        else if (std::regex_search(name, std::regex(R"(\.(cpp|h|inc)$)"))) files->push_back(path);
    }
}

std::vector<std::string> Sources() {
    std::vector<std::string> files;
    CollectSources(std::string(JOTCRATE_SOURCE_DIR) + "/src", &files);
    return files;
}

bool IsUnder(const std::string& path, const char* folder) {
    return path.find(std::string("/src/platform/") + folder) != std::string::npos;
}

TEST(Boundary, EachSystemIsIncludedOnlyInItsBackend) {
    const std::regex qt(R"(^\s*#\s*include\s*[<"]Q[A-Za-z])", std::regex::multiline);
    const std::regex win32(
        R"(^\s*#\s*include\s*<(windows|shlobj|shellapi|shobjidl|commctrl|commdlg|richedit|objbase|ole2|shlwapi|winioctl|io|direct|process)\.h>)",
        std::regex::multiline | std::regex::icase);
    const std::regex posix(
        R"(^\s*#\s*include\s*<(unistd|fcntl|dlfcn|dirent|spawn|signal|csignal|poll|pthread|liburing|malloc|pwd|sys/[a-z]+)(\.h)?>)",
        std::regex::multiline);
    std::vector<std::string> files = Sources();
    ASSERT_GT(files.size(), 10u);
    for (const std::string& path : files) {
        std::string text = ReadFileBytes(path);
        EXPECT_FALSE(!IsUnder(path, "qt/") && std::regex_search(text, qt)) << path << " includes Qt";
        EXPECT_FALSE(!IsUnder(path, "win32/") && std::regex_search(text, win32)) << path << " includes Win32";
        // The Qt backend is the Linux one: it may use the system beside the toolkit.
        EXPECT_FALSE(!IsUnder(path, "posix/") && !IsUnder(path, "qt/") && std::regex_search(text, posix))
            << path << " includes POSIX";
    }
}

// The platform's own headers are its vocabulary: they lean on nothing of the program, so that a
// backend can be built against them alone.
TEST(Boundary, PlatformHeadersIncludeOnlyThePlatform) {
    const std::regex ownInclude(R"re(^\s*#\s*include\s*"([^"]+)")re", std::regex::multiline);
    int headers = 0;
    for (const std::string& path : Sources()) {
        std::size_t at = path.find("/src/platform/");
        if (at == std::string::npos || path.find('/', at + 14) != std::string::npos) continue;
        ++headers;
        std::string text = ReadFileBytes(path);
        for (std::sregex_iterator m(text.begin(), text.end(), ownInclude), end; m != end; ++m)
            EXPECT_EQ(0u, (*m)[1].str().find("platform/")) << path << " includes " << (*m)[1];
    }
    EXPECT_GE(headers, 5);
}

// The folders are the layers: platform, base, core, ui, app, each including only its own and
// those below it, so that a layer builds and tests without anything above it.
int LayerOf(const std::string& path) {
    static const char* const layers[] = {"platform/", "base/", "core/", "ui/", "app/"};
    for (int layer = 0; layer < 5; ++layer)
        if (path.compare(0, std::strlen(layers[layer]), layers[layer]) == 0) return layer;
    return -1;
}

TEST(Boundary, EveryIncludeRunsDownTheLayers) {
    const std::regex ownInclude(R"re(^\s*#\s*include\s*"([^"]+)")re", std::regex::multiline);
    const std::string root = std::string(JOTCRATE_SOURCE_DIR) + "/src/";
    int includes = 0;
    for (const std::string& path : Sources()) {
        std::string relative = path.substr(root.size());
        int layer = LayerOf(relative);
        EXPECT_NE(-1, layer) << relative << " is in no layer";
        std::string text = ReadFileBytes(path);
        for (std::sregex_iterator m(text.begin(), text.end(), ownInclude), end; m != end; ++m) {
            std::string included = (*m)[1].str();
            if (included.find('/') == std::string::npos) continue;  // beside it in its own folder
            ++includes;
            EXPECT_LE(LayerOf(included), layer) << relative << " includes " << included << " from above";
            EXPECT_NE(-1, LayerOf(included)) << relative << " includes " << included;
        }
    }
    EXPECT_GT(includes, 200);
}

TEST(Boundary, NoShellInterpreterIsEverStarted) {
    const std::regex shellCall(R"(\b(system|popen)\s*\()");
    for (const std::string& path : Sources())
        EXPECT_FALSE(std::regex_search(ReadFileBytes(path), shellCall)) << path << " starts a shell";
}

}  // namespace

// The Windows toolchain frees a thread's own storage before the destructors of what it holds
// run: a thread_local with a destructor crashes the program when its thread ends. Only plain
// values (numbers, pointers, arrays of them) may be kept per thread.
TEST(Boundary, NothingKeptPerThreadHasADestructor) {
    const std::regex withDestructor(R"(thread_local\s+(const\s+)?(std::(?!size_t\b|u?int\w*_t\b)|[A-Z]\w*\s*<))");
    for (const std::string& path : Sources())
        EXPECT_FALSE(std::regex_search(ReadFileBytes(path), withDestructor)) << path << " keeps an object per thread";
}
