// The journal of unsaved typing: one small file beside the data file that holds the text of
// the record being edited, written after a pause in typing and removed at the record's save,
// so that a run ended by a crash or a kill loses nothing it was shown. It names the record's
// slot and a digest of the slot's bytes as they stood when the edit began, which tells the
// next start whether the record is still the one the text was typed into.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Typing that never pauses is written at least this often.
constexpr int kJournalLongestWaitMs = 5000;

struct Journal {
    std::int64_t slot = -1;
    std::uint64_t slotDigest = 0;  // SlotDigest of the slot as last read or saved
    std::string text;              // the record bytes a save would write
};

// The largest journal a run writes: its header lines and a whole record. A larger file is
// not one of the program's, and is never read past this.
constexpr std::size_t kJournalLimit = 32000 + 256;

std::string FormatJournal(const Journal& journal);
// False for anything but a whole journal as FormatJournal makes them (a text whose digest
// does not match, a slot out of range, bytes after the text).
bool ParseJournal(std::string_view bytes, Journal* journal);

// Written as replacement files are (temporary file, flush, rename), readable by the user
// alone, and only where the user's own links lead.
bool WriteJournal(const std::string& path, const Journal& journal);

enum JournalFound {
    kJournalNone,      // no file of that name
    kJournalRead,      // *journal holds it
    kJournalDamaged,   // the user's own file, but no journal, or larger than any journal
    kJournalLeftAlone  // another user's, reached through another user's link, no regular file, or unreadable
};
JournalFound ReadJournal(const std::string& path, Journal* journal);
