// Builds the scrambled string table at compile time from Strings.inc, so that the readable
// texts are edited in one place and only the scrambled bytes reach the binary.
#include "base/StringTable.h"

#include <array>
#include <cstddef>

namespace {

constexpr unsigned char kScrambleKey = 0xA5;

template <std::size_t N>
constexpr std::array<char, N> Scramble(const char (&plain)[N]) {
    std::array<char, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = static_cast<char>(static_cast<unsigned char>(plain[i]) ^ kScrambleKey);
    return out;
}

// Every text followed by its terminating zero, in the order of the enumeration.
#define JC_STRING(id, text) text "\0"
std::array s_blob = Scramble(
#include "base/Strings.inc"
);
#undef JC_STRING

std::array<std::string, kStringCount> s_strings;
bool s_unscrambled = false;

}  // namespace

void UnscrambleStrings() {
    if (s_unscrambled) return;
    s_unscrambled = true;
    for (char& c : s_blob) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
    const char* p = s_blob.data();
    for (std::string& s : s_strings) {
        s = p;
        p += s.size() + 1;
    }
}

const std::string& Str(StringId id) { return s_strings[id]; }
