// The data file: fixed 32,001-byte slots without a header, the negation coding of record
// text, the slot operations through g_app.slotImage, the starter file and the backup.
// Procedures return false on failure with the reason in LastFileError().
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Numbers.h"
#include "base/StringTable.h"
#include "platform/Files.h"

bool IsWellFormedSize(std::int64_t size);
// More slots than the record limit: no pass goes past the limit, and nothing that would have to
// copy the slots beyond it (compaction, backup, restore, salvage) is done.
bool IsOversized(std::int64_t size);
std::string OversizedDataFileText(std::int64_t size);
// The one message by which the record store reports an unusable data file.
std::string DataFileErrorText();
// -1 for a missing file (or anything that is not a regular file).
std::int64_t DataFileSize(const std::string& path);
std::int64_t SlotCount();

// The slot image holds 32,001 bytes: the deleted mark, then the coded text area.
void NegateBytes(unsigned char* bytes, std::size_t n);
void EncodeText(std::string_view text, unsigned char* image);
// The text area (after the deleted mark) up to its first zero byte, of at most textBytes.
std::string DecodeText(const unsigned char* image, std::size_t textBytes = kTextSize);

// The data file as this program last read or wrote it. Every write first checks that the
// file is still that one; a file another program replaced or rewrote gets nothing written,
// g_app.dataChangedElsewhere is set and the reason says so. UI thread, as all that writes
// g_app here; the load worker reads the version and the UI thread adopts it.
void NoteDataFileVersion();
void AdoptDataFileVersion(bool known, const FileVersion& version);
bool IsDataFileAsLeft();
// Opens the data file for a write, only if it is the one this program left.
bool OpenDataFileToWrite(OpenMode mode, FileHandle* file);
// Whether the slot on disk still holds what the shown record was read or saved as: a rewrite
// in place of the same size within one tick of the file's clock shows here.
bool IsSlotAsShown(std::int64_t slot);

// A failed read leaves the slot image zeroed, never another record's bytes. ReadSlotImage
// reads into a buffer of the caller's, on any thread.
bool ReadSlot(std::int64_t slot);
// Opens the data file (at path, where the user's links lead) to read, refusing another user's:
// one swapped in after the owner was looked at would show that user's records as the user's own.
bool OpenOwnDataFile(const std::string& path, OpenMode mode, FileHandle* file);
bool ReadSlotImage(std::int64_t slot, unsigned char* image);
bool WriteSlot(std::int64_t slot);
bool MarkDeleted(std::int64_t slot);
// Clears a mark this run set, so that the compaction keeps the slot.
bool UnmarkDeleted(std::int64_t slot);
// Forgets the deletions of this run (the file they were made in is gone).
void ForgetDeletions();
// What the compaction proves before it drops anything: the open data file is the version this
// run knows, and each slot this run deleted still holds the very bytes it marked. Where the
// file's clock is too coarse to show a rewrite in place, the bytes still do.
bool AreDeletedSlotsAsMarked(const FileHandle& data);
std::uint64_t SlotDigest(const unsigned char* image);
// The titles of slots this run deleted, in their order.
std::vector<std::string> DeletedRecordTitles(const std::vector<std::int64_t>& slots);

// Reads the text of one slot from an open data file, only as far as its first zero byte.
bool ReadSlotText(const FileHandle& data, std::int64_t slot, std::string* text);
// The same for many slots, the first reads of all in one batch: (*texts)[i] is slots[i]'s.
// Passes over many slots read kReadGroup of them at a time.
constexpr std::size_t kReadGroup = 64;
// A pass's reader and the buffers its batches reuse. The caller keeps them, not the thread:
// the Windows toolchain frees a thread's own storage before its destructors run.
struct SlotReads {
    PieceReader* reader;
    std::vector<unsigned char> heads, wholes;
    std::vector<ReadPiece> pieces, rests;
    std::vector<std::size_t> longer;
};
bool ReadSlotTexts(SlotReads* reads, const FileHandle& data, const std::int64_t* slots, std::size_t n,
                   std::vector<std::string>* texts);

// Temporary files that a killed run may have left beside the program; the compaction file
// is written beside the data file's real place, target.
void RemoveStaleTemporaries();
std::string CompactionPath(const std::string& target);

// Forgets the deletions of this run and notes the new file's version; CreateStarterFileOnly
// writes the file alone, touching no state (the load worker's).
bool CreateStarterFile();
bool CreateStarterFileOnly();
// Appends the starter records after the last slot, flushed; *first is the first one's slot. A
// failure leaves the file as it was.
bool AppendStarterRecords(std::int64_t* first);
std::string StarterText(int n);  // n from 0
// Copies the backup, of the size checked before, over the missing data file; a backup that grew
// since is not copied.
bool RestoreFromBackup(std::int64_t size);
// The data file is the user's own, where the user's own links lead: another user's in its
// place is never read as the user's records nor copied into the backup.
bool IsDataFileOwn();
// Copies the data file over the backup when Auto Backup is 1 and the backup is stale; never
// from a damaged data file or one whose last write failed.
bool RefreshBackup(bool hadUnsavedEdit);
bool BackupIsDue(bool hadUnsavedEdit);
// A backup that could not be restored is renamed in its own folder (where the user's link to
// it points), bytes unchanged, out of the way of the next refresh.
bool SetAsideDamagedBackup(std::string* keptAs);
// What is wrong with a data file of that size, and what whole records it holds.
std::string DamagedDataFileText(std::int64_t size);
// A data file that ends in part of a slot: the damaged file is kept under a new name, bytes
// unchanged, and the data file becomes its whole slots.
bool SalvageDataFile(std::string* keptAs);
// The damaged data file kept beside as with a salvage, and the backup of backupSize bytes put
// in its place.
bool RestoreOverDamaged(std::int64_t backupSize, std::string* keptAs);
// A name in the folder that no file has yet: prefix, time stamp, a number if needed, suffix.
std::string FreshName(const std::string& folder, StringId prefix, StringId suffix);
// A file's time (nanoseconds since 1970) as the user reads it: local date and time.
std::string LocalTimeText(std::int64_t nanoseconds);
// Text that could not be saved, in a new file of the program folder (of the home folder when
// that fails); its path in *path.
bool WriteRecoveryFile(std::string_view utf8Text, std::string* path);
