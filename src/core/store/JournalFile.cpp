// The journal's format: four header lines, then the text's bytes as they are.
//   Jotcrate journal 1
//   slot 12
//   stored 0123456789abcdef          (the slot's digest, hexadecimal)
//   text 5 fedcba9876543210          (the text's length, and a digest of slot, stored and text)
//   hello
// The last digest tells a file damaged on disk from a journal; the rename that writes it
// means a killed write leaves the old journal or none, never half a one.
#include "core/store/JournalFile.h"

#include <cinttypes>
#include <cstdio>

#include "base/StringTable.h"
#include "base/WholeFiles.h"
#include "core/store/DataFile.h"
#include "platform/Files.h"

namespace {

constexpr char kMagic[] = "Jotcrate journal 1\n";

// Of everything the journal says: the record it names and its text.
std::uint64_t JournalDigest(std::int64_t slot, std::uint64_t slotDigest, std::string_view text) {
    std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
    auto add = [&digest](std::uint64_t value) {
        for (int i = 0; i < 8; ++i) digest = (digest ^ ((value >> (8 * i)) & 0xff)) * 1099511628211ull;
    };
    add(static_cast<std::uint64_t>(slot));
    add(slotDigest);
    for (unsigned char c : text) digest = (digest ^ c) * 1099511628211ull;
    return digest;
}

// Takes a decimal number, or exactly 16 hexadecimal digits, from the front of rest.
bool TakeDigits(std::string_view* rest, bool hex, std::uint64_t* value) {
    std::size_t digits = 0;
    *value = 0;
    for (; digits < rest->size() && digits < (hex ? 16u : 18u); ++digits) {
        char c = (*rest)[digits];
        int d = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) break;
        *value = *value * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    }
    if (digits == 0 || (hex && digits != 16)) return false;
    rest->remove_prefix(digits);
    return true;
}

bool TakeWord(std::string_view* rest, std::string_view word) {
    if (rest->substr(0, word.size()) != word) return false;
    rest->remove_prefix(word.size());
    return true;
}

}  // namespace

std::string FormatJournal(const Journal& journal) {
    char header[160];
    std::snprintf(header, sizeof header, "%sslot %" PRId64 "\nstored %016" PRIx64 "\ntext %" PRIu64 " %016" PRIx64 "\n",
                  kMagic, journal.slot, journal.slotDigest, static_cast<std::uint64_t>(journal.text.size()),
                  JournalDigest(journal.slot, journal.slotDigest, journal.text));
    return std::string(header) + journal.text;
}

bool ParseJournal(std::string_view bytes, Journal* journal) {
    std::string_view rest = bytes;
    std::uint64_t slot, stored, length, digest;
    if (!TakeWord(&rest, kMagic) || !TakeWord(&rest, "slot ") || !TakeDigits(&rest, false, &slot) ||
        !TakeWord(&rest, "\nstored ") || !TakeDigits(&rest, true, &stored) || !TakeWord(&rest, "\ntext ") ||
        !TakeDigits(&rest, false, &length) || !TakeWord(&rest, " ") || !TakeDigits(&rest, true, &digest) ||
        !TakeWord(&rest, "\n"))
        return false;
    if (slot >= static_cast<std::uint64_t>(kRecordLimit) || length > static_cast<std::uint64_t>(kTextSize) ||
        rest.size() != length)
        return false;
    if (JournalDigest(static_cast<std::int64_t>(slot), stored, rest) != digest) return false;
    journal->slot = static_cast<std::int64_t>(slot);
    journal->slotDigest = stored;
    journal->text.assign(rest);
    return true;
}

bool WriteJournal(const std::string& path, const Journal& journal) {
    return WriteFileReplacing(path, FormatJournal(journal), 0600);
}

JournalFound ReadJournal(const std::string& path, Journal* journal) {
    FileInfo info = StatPath(path);
    if (info.kind == kFileMissing) return kJournalNone;
    std::string real;
    if (!ResolveReplacement(path, &real)) return kJournalLeftAlone;
    // A link of the user's to nothing: no journal behind it.
    if (StatPath(real).kind == kFileMissing) return kJournalNone;
    if (!IsOwnFile(real)) {
        SetFileError(Str(kStrFileDoingReading) + " " + path + ": " + Str(kStrFileReasonOthersFile));
        return kJournalLeftAlone;
    }
    std::string bytes;
    bool cut = false;
    if (!ReadWholeFile(real, &bytes, kJournalLimit, &cut)) return kJournalLeftAlone;
    if (cut || !ParseJournal(bytes, journal)) return kJournalDamaged;
    return kJournalRead;
}
