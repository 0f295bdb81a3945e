// Slot operations on the data file. Each one opens the file, moves one slot at a 64-bit offset
// and closes it again, so no file stays open while the program is idle.
#include "core/store/DataFile.h"
#include "core/search/SearchIndex.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/AppState.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "base/WholeFiles.h"
#include "core/store/Titles.h"
#include "platform/Files.h"

bool IsWellFormedSize(std::int64_t size) { return size > 0 && size % kSlotSize == 0; }

bool IsOversized(std::int64_t size) { return size / kSlotSize > kRecordLimit; }

std::string OversizedDataFileText(std::int64_t size) {
    return Str(kStrOversizedPrefix) + std::to_string(size / kSlotSize) + Str(kStrOversizedSuffix);
}

std::string DataFileErrorText() { return Str(kStrDataFileErrorPrefix) + g_app.dataPath; }

std::int64_t DataFileSize(const std::string& path) {
    FileInfo info = StatPath(path);
    return info.kind == kFileRegular ? info.size : -1;
}

std::int64_t SlotCount() {
    std::int64_t size = DataFileSize(g_app.dataPath);
    return size < 0 ? 0 : size / kSlotSize;
}

void NegateBytes(unsigned char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(0u - bytes[i]);
}

void EncodeText(std::string_view text, unsigned char* image) {
    std::size_t n = text.size() < kTextSize ? text.size() : kTextSize;
    image[0] = 0;
    std::memcpy(image + 1, text.data(), n);
    NegateBytes(image + 1, n);
    std::memset(image + 1 + n, 0, kTextSize - n);
}

std::string DecodeText(const unsigned char* image, std::size_t textBytes) {
    const void* end = std::memchr(image + 1, 0, textBytes);
    std::size_t n = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - (image + 1)) : textBytes;
    std::string text(reinterpret_cast<const char*>(image + 1), n);
    NegateBytes(reinterpret_cast<unsigned char*>(text.data()), n);
    return text;
}

namespace {

// Most records are short: a first read of 2 KiB holds the whole text.
constexpr std::size_t kFirstRead = 2048;

// The text from the first read of a slot, which got bytes; the rest of a longer one is read
// after it.
bool FinishSlotText(const FileHandle& data, std::int64_t slot, const unsigned char* head, std::int64_t got,
                    std::string* text) {
    if (got < 1) return false;
    if (std::memchr(head + 1, 0, static_cast<std::size_t>(got) - 1)) {
        *text = DecodeText(head, static_cast<std::size_t>(got) - 1);
        return true;
    }
    // A buffer of its own: the search reads beside the UI thread, which owns the slot image.
    std::vector<unsigned char> image(kSlotSize);
    std::memcpy(image.data(), head, static_cast<std::size_t>(got));
    if (!ReadExactlyAt(data, slot * kSlotSize + got, image.data() + got, image.size() - static_cast<std::size_t>(got)))
        return false;
    *text = DecodeText(image.data());
    return true;
}

}  // namespace

bool ReadSlotText(const FileHandle& data, std::int64_t slot, std::string* text) {
    unsigned char head[kFirstRead];
    return FinishSlotText(data, slot, head, ReadAt(data, slot * kSlotSize, head, kFirstRead), text);
}

bool ReadSlotTexts(SlotReads* reads, const FileHandle& data, const std::int64_t* slots, std::size_t n,
                   std::vector<std::string>* texts) {
    std::vector<unsigned char>& heads = reads->heads;
    std::vector<unsigned char>& wholes = reads->wholes;
    std::vector<ReadPiece>& pieces = reads->pieces;
    std::vector<ReadPiece>& rests = reads->rests;
    std::vector<std::size_t>& longer = reads->longer;
    heads.resize(n * kFirstRead);
    pieces.resize(n);
    texts->resize(n);
    for (std::size_t i = 0; i < n; ++i)
        pieces[i] = ReadPiece{slots[i] * kSlotSize, &heads[i * kFirstRead], kFirstRead, 0};
    if (!ReadPieces(reads->reader, pieces.data(), n)) return false;
    // Texts that go on past their first read get the rest of their slots in a second batch.
    longer.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* head = &heads[i * kFirstRead];
        std::int64_t got = pieces[i].got;
        if (got == static_cast<std::int64_t>(kFirstRead) && !std::memchr(head + 1, 0, kFirstRead - 1))
            longer.push_back(i);
        else if (!FinishSlotText(data, slots[i], head, got, &(*texts)[i])) return false;
    }
    if (longer.empty()) return true;
    wholes.resize(longer.size() * kSlotSize);
    rests.resize(longer.size());
    for (std::size_t k = 0; k < longer.size(); ++k) {
        unsigned char* whole = &wholes[k * kSlotSize];
        std::memcpy(whole, &heads[longer[k] * kFirstRead], kFirstRead);
        rests[k] = ReadPiece{slots[longer[k]] * kSlotSize + static_cast<std::int64_t>(kFirstRead), whole + kFirstRead,
                             kSlotSize - kFirstRead, 0};
    }
    if (!ReadPieces(reads->reader, rests.data(), rests.size())) return false;
    for (std::size_t k = 0; k < longer.size(); ++k) {
        // A slot cut short is read again alone, which says why.
        if (rests[k].got != static_cast<std::int64_t>(rests[k].size) &&
            !ReadExactlyAt(data, rests[k].offset, rests[k].buffer, rests[k].size))
            return false;
        (*texts)[longer[k]] = DecodeText(&wholes[k * kSlotSize]);
    }
    return true;
}

void NoteDataFileVersion() {
    FileVersion version;
    bool known = VersionOfFile(g_app.dataPath, &version);
    AdoptDataFileVersion(known, version);
}

// The file is taken up as a whole: what searches learnt of the one before is void.
void AdoptDataFileVersion(bool known, const FileVersion& version) {
    g_app.dataVersionKnown = known;
    g_app.dataVersion = version;
    ForgetSearchIndex(&g_searchIndex);
}

namespace {

bool Changed(bool same) {
    if (same) return false;
    g_app.dataChangedElsewhere = true;
    SetFileError(Str(kStrChangedElsewhere));
    return true;
}

// A write of this program's own is no change by another.
void NoteOpenDataFile(const FileHandle& file) {
    if (g_app.dataVersionKnown) g_app.dataVersionKnown = VersionOfOpenFile(file, &g_app.dataVersion);
}

bool IsOpenDataFileAsLeft(const FileHandle& file) {
    FileVersion now;
    return !g_app.dataVersionKnown || !Changed(VersionOfOpenFile(file, &now) && SameVersion(now, g_app.dataVersion));
}

}  // namespace

bool OpenDataFileToWrite(OpenMode mode, FileHandle* file) {
    if (!IsDataFileAsLeft() || !OpenFile(g_app.dataPath, mode, file)) return false;
    if (IsOpenDataFileAsLeft(*file)) return true;
    CloseFile(file);
    return false;
}

bool IsDataFileAsLeft() {
    FileVersion now;
    return !g_app.dataVersionKnown ||
           !Changed(VersionOfFile(g_app.dataPath, &now) && SameVersion(now, g_app.dataVersion));
}

bool IsSlotAsShown(std::int64_t slot) {
    if (g_app.shownSlot.size() != static_cast<std::size_t>(kSlotSize)) return true;
    std::vector<unsigned char> now(kSlotSize);
    FileHandle file;
    bool read =
        OpenFile(g_app.dataPath, kOpenRead, &file) && ReadExactlyAt(file, slot * kSlotSize, now.data(), now.size());
    CloseFile(&file);
    return read && !Changed(now == g_app.shownSlot);
}

bool ReadSlot(std::int64_t slot) { return ReadSlotImage(slot, g_app.slotImage); }

bool OpenOwnDataFile(const std::string& path, OpenMode mode, FileHandle* file) {
    if (!OpenFile(path, mode, file)) return false;
    if (IsOwnOpenFile(*file)) return true;
    CloseFile(file);
    SetFileError(Str(kStrDataFileNotOwn) + g_app.dataPath);
    return false;
}

bool ReadSlotImage(std::int64_t slot, unsigned char* image) {
    FileHandle file;
    bool ok =
        OpenOwnDataFile(g_app.dataPath, kOpenRead, &file) && ReadExactlyAt(file, slot * kSlotSize, image, kSlotSize);
    CloseFile(&file);
    if (!ok) std::memset(image, 0, kSlotSize);
    return ok;
}

namespace {

// A rename over the data file between its open and the flush leaves a write in a file that no
// name holds any more: it counts as not made.
bool IsStillNamed(const FileHandle& file) {
    FileVersion named, open;
    bool same = VersionOfFile(g_app.dataPath, &named) && VersionOfOpenFile(file, &open) &&
                named.device == open.device && named.inode == open.inode;
    if (!same) {
        g_app.dataChangedElsewhere = true;
        SetFileError(Str(kStrReplacedWhileWriting));
    }
    return same;
}

// Puts back the bytes a failed write changed, and only those: each of them lies in a block the
// failed write took itself, so that a disk it found full has room for the put-back.
bool PutBack(const FileHandle& file, std::int64_t offset, const std::vector<unsigned char>& before) {
    std::vector<unsigned char> now(before.size());
    if (!ReadExactlyAt(file, offset, now.data(), now.size())) return false;
    for (std::size_t i = 0; i < now.size();) {
        std::size_t end = i;
        while (end < now.size() && now[end] != before[end]) ++end;
        if (end > i && !WriteAt(file, offset + static_cast<std::int64_t>(i), &before[i], end - i)) return false;
        i = end + 1;
    }
    return FlushFile(file);
}

// Writes whole slots from the first given on, flushed, into space reserved first where the
// system can. A failure leaves every slot as it was: slots appended in part are cut off again,
// and the bytes of a slot rewritten in part are put back.
bool WriteSlots(std::int64_t first, const unsigned char* bytes, std::size_t n) {
    FileHandle file;
    if (!OpenDataFileToWrite(kOpenReadWriteCreate, &file)) return false;
    std::int64_t size = SizeOfOpenFile(file), offset = first * kSlotSize;
    bool append = offset >= size;
    std::vector<unsigned char> before(append ? 0 : n);
    bool ready = size >= 0 && ReserveFileRange(file, offset, static_cast<std::int64_t>(n)) != kReserveFailed &&
                 (append || ReadExactlyAt(file, offset, before.data(), n));
    bool wrote = ready && WriteAt(file, offset, bytes, n) && FlushFile(file);
    bool undone = false;
    if (ready && !wrote) {
        std::string reason = LastFileError();
        undone = append ? TruncateFile(file, size) : PutBack(file, offset, before);
        SetFileError(reason);
    }
    bool ok = wrote && IsStillNamed(file);
    NoteOpenDataFile(file);
    CloseFile(&file);
    for (std::int64_t slot = first; slot < first + static_cast<std::int64_t>(n / kSlotSize); ++slot)
        NoteSlotWritten(&g_searchIndex, slot);
    // A file left as it was is as good a copy for the backup as before.
    g_app.dataWriteFailed = ready && !wrote && !undone;
    if (ok) g_app.wroteData = true;
    return ok;
}

}  // namespace

bool WriteSlot(std::int64_t slot) { return WriteSlots(slot, g_app.slotImage, kSlotSize); }

std::uint64_t SlotDigest(const unsigned char* image) {
    std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
    for (std::int64_t i = 0; i < kSlotSize; ++i) digest = (digest ^ image[i]) * 1099511628211ull;
    return digest;
}

namespace {

// Only the mark byte is written: one byte is never written in part, and the rest of the slot
// may lie in holes that a write of its zeros would have to fill on a full disk.
bool WriteDeletedMark(std::int64_t slot, unsigned char mark) {
    FileHandle file;
    bool ok =
        OpenDataFileToWrite(kOpenReadWrite, &file) && ReadExactlyAt(file, slot * kSlotSize, g_app.slotImage, kSlotSize);
    if (ok) {
        g_app.slotImage[0] = mark;
        ok = WriteAt(file, slot * kSlotSize, &mark, 1) && FlushFile(file);
        g_app.dataWriteFailed = !ok;
        ok = ok && IsStillNamed(file);
        if (ok) g_app.wroteData = true;
        NoteOpenDataFile(file);
        NoteSlotWritten(&g_searchIndex, slot);
    }
    CloseFile(&file);
    return ok;
}

}  // namespace

bool MarkDeleted(std::int64_t slot) {
    if (!WriteDeletedMark(slot, 1)) return false;
    std::vector<std::int64_t>& deleted = g_app.deletedSlots;
    auto at = std::lower_bound(deleted.begin(), deleted.end(), slot);
    if (at == deleted.end() || *at != slot) deleted.insert(at, slot);
    g_app.deletedDigests[slot] = SlotDigest(g_app.slotImage);
    return true;
}

bool UnmarkDeleted(std::int64_t slot) {
    if (!WriteDeletedMark(slot, 0)) return false;
    std::vector<std::int64_t>& deleted = g_app.deletedSlots;
    deleted.erase(std::remove(deleted.begin(), deleted.end(), slot), deleted.end());
    g_app.deletedDigests.erase(slot);
    return true;
}

void ForgetDeletions() {
    g_app.deletedSlots.clear();
    g_app.deletedDigests.clear();
    g_app.starterFirst = -1;
}

bool AreDeletedSlotsAsMarked(const FileHandle& data) {
    FileVersion now;
    if (g_app.dataVersionKnown && Changed(VersionOfOpenFile(data, &now) && SameVersion(now, g_app.dataVersion)))
        return false;
    std::int64_t count = SizeOfOpenFile(data) / kSlotSize;
    std::vector<unsigned char> image(kSlotSize);
    for (std::int64_t slot : g_app.deletedSlots) {
        auto digest = g_app.deletedDigests.find(slot);
        if (slot < count && !ReadExactlyAt(data, slot * kSlotSize, image.data(), image.size())) return false;
        if (Changed(slot < count && digest != g_app.deletedDigests.end() && digest->second == SlotDigest(image.data())))
            return false;
    }
    return true;
}

std::vector<std::string> DeletedRecordTitles(const std::vector<std::int64_t>& slots) {
    FileHandle data;
    bool open = OpenFile(g_app.dataPath, kOpenRead, &data);
    std::vector<std::string> titles;
    std::string text;
    for (std::int64_t slot : slots) {
        bool read = open && ReadSlotText(data, slot, &text);
        titles.push_back(read ? LoadTitle(text, RecordEncoding(text)) : Str(kStrDefaultTitle));
    }
    CloseFile(&data);
    return titles;
}

std::string CompactionPath(const std::string& target) { return FolderPart(target) + Str(kStrCompactFileName); }

// Only the program folder's own: beside a linked file's target, a file of that name may be
// the user's.
void RemoveStaleTemporaries() {
    const std::string& folder = g_app.programFolder;
    for (const std::string& path :
         {g_app.dataPath + ".tmp", g_app.backupPath + ".tmp", g_app.settingsPath + ".tmp",
          folder + Str(kStrCompactFileName), folder + Str(kStrDumpFileName) + ".tmp", g_app.journalPath + ".tmp"})
        if (StatPath(path).kind == kFileRegular) DeleteFile(path);
}

std::string StarterText(int n) { return Str(kStrStarterPrefix) + static_cast<char>('1' + n) + Str(kStrSpacer); }

namespace {

std::vector<unsigned char> StarterSlots() {
    std::vector<unsigned char> slots(static_cast<std::size_t>(kStarterRecords) * kSlotSize);
    for (int n = 0; n < kStarterRecords; ++n)
        EncodeText(StarterText(n), &slots[static_cast<std::size_t>(n) * kSlotSize]);
    return slots;
}

}  // namespace

namespace {

// committed: the temporary file was written whole, so that its commit was tried.
bool WriteStarterFile(bool* committed) {
    std::string target;
    FileHandle temp;
    *committed = false;
    if (!ResolveReplacement(g_app.dataPath, &target) || !CreateTempFile(target + ".tmp", target, &temp)) return false;
    std::vector<unsigned char> slots = StarterSlots();
    if (!WriteAt(temp, 0, slots.data(), slots.size())) {
        DiscardTempFile(&temp);
        return false;
    }
    *committed = true;
    return CommitTempFile(&temp, target);
}

}  // namespace

bool CreateStarterFile() {
    bool committed;
    bool ok = WriteStarterFile(&committed);
    if (committed) {
        ForgetDeletions();
        NoteDataFileVersion();
    }
    return ok;
}

bool CreateStarterFileOnly() {
    bool committed;
    return WriteStarterFile(&committed);
}

bool AppendStarterRecords(std::int64_t* first) {
    std::vector<unsigned char> slots = StarterSlots();
    *first = SlotCount();
    return WriteSlots(*first, slots.data(), slots.size());
}

bool RestoreFromBackup(std::int64_t size) { return CopyFileReplacing(g_app.backupPath, g_app.dataPath, size); }

bool BackupIsDue(bool hadUnsavedEdit) {
    if (g_app.options.autoBackup != 1) return false;
    std::int64_t backupSize = DataFileSize(g_app.backupPath);
    return hadUnsavedEdit || g_app.recordsDeleted || backupSize < 0 || backupSize % kSlotSize != 0;
}

bool IsDataFileOwn() {
    std::string real;
    return ResolveReplacement(g_app.dataPath, &real) && IsOwnFile(real);
}

bool RefreshBackup(bool hadUnsavedEdit) {
    if (!BackupIsDue(hadUnsavedEdit)) return true;
    // Neither a data file that a failed write may have left half-changed nor a damaged one
    // ever replaces a good backup.
    if (g_app.dataWriteFailed) {
        SetFileError(Str(kStrLastWriteFailed));
        return false;
    }
    std::int64_t size = DataFileSize(g_app.dataPath);
    if (!IsWellFormedSize(size)) {
        SetFileError(Str(kStrDataFileDamaged));
        return false;
    }
    if (IsOversized(size)) {
        SetFileError(OversizedDataFileText(size));
        return false;
    }
    // Another program's data file is no copy of what this run did, and another user's is never
    // the user's backup.
    if (!IsDataFileOwn()) {
        SetFileError(Str(kStrDataFileNotOwn) + g_app.dataPath);
        return false;
    }
    return IsDataFileAsLeft() && CopyFileReplacing(g_app.dataPath, g_app.backupPath, kRecordLimit * kSlotSize);
}

std::string FreshName(const std::string& folder, StringId prefix, StringId suffix) {
    std::string stem = folder + Str(prefix) + TimeStamp();
    std::string path = stem + Str(suffix);
    for (int n = 2; StatPath(path).kind != kFileMissing && n < 1000; ++n)
        path = stem + "-" + std::to_string(n) + Str(suffix);
    return path;
}

bool SetAsideDamagedBackup(std::string* keptAs) {
    // Beside the file itself: a backup linked into another folder or file system keeps its
    // folder, and the user's link then leads the next refresh to where the backup was.
    std::string backup;
    if (!ResolveReplacement(g_app.backupPath, &backup)) return false;
    *keptAs = FreshName(FolderPart(backup), kStrDamagedBackupPrefix, kStrDamagedBackupSuffix);
    return RenameFile(backup, *keptAs);
}

std::string DamagedDataFileText(std::int64_t size) {
    std::int64_t whole = size / kSlotSize;
    std::string text = Str(kStrDamagedPrefix) + std::to_string(size % kSlotSize) + Str(kStrDamagedMiddle);
    if (whole == 1) return text + Str(kStrDamagedOne);
    return text + Str(kStrDamagedMany) + std::to_string(whole) + Str(kStrDamagedSuffix);
}

namespace {

// The damaged file gets its second name first, so that at every moment both of its names
// hold something whole.
bool KeepDamagedAside(std::string* target, std::string* keptAs) {
    if (!ResolveReplacement(g_app.dataPath, target)) return false;
    *keptAs = FreshName(g_app.programFolder, kStrDamagedDataPrefix, kStrDamagedDataSuffix);
    return LinkOrCopyFile(*target, *keptAs);
}

// The second name goes again only while the first still holds the damaged file: a
// replacement that failed after its rename has already put whole slots in its place.
void ForgetKeptAside(const std::string& target, const std::string& keptAs) {
    if (IsWellFormedSize(DataFileSize(target))) return;
    std::string reason = LastFileError();
    DeleteFile(keptAs);
    SetFileError(reason);
}

}  // namespace

bool SalvageDataFile(std::string* keptAs) {
    std::string target;
    bool ok = KeepDamagedAside(&target, keptAs);
    FileHandle data, temp;
    ok = ok && OpenFile(target, kOpenRead, &data);
    std::int64_t whole = ok ? SizeOfOpenFile(data) / kSlotSize * kSlotSize : 0;
    ok = ok && whole > 0 && CreateTempFile(target + ".tmp", target, &temp);
    if (ok && !CopyRange(data, 0, temp, 0, whole)) {
        DiscardTempFile(&temp);
        ok = false;
    }
    ok = ok && CommitTempFile(&temp, target, true, &data);
    CloseFile(&data);
    if (!ok && !keptAs->empty()) ForgetKeptAside(target, *keptAs);
    return ok;
}

bool RestoreOverDamaged(std::int64_t backupSize, std::string* keptAs) {
    std::string target;
    bool ok = KeepDamagedAside(&target, keptAs) && RestoreFromBackup(backupSize);
    if (!ok && !keptAs->empty()) ForgetKeptAside(target, *keptAs);
    return ok;
}

std::string LocalTimeText(std::int64_t nanoseconds) {
    std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1000000000);
    const std::tm* local = std::localtime(&seconds);
    char text[32] = "?";
    if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
    return text;
}

bool WriteRecoveryFile(std::string_view utf8Text, std::string* path) {
    *path = FreshName(g_app.programFolder, kStrUnsavedPrefix, kStrUnsavedSuffix);
    if (WriteNewFile(*path, utf8Text)) return true;
    // A full or read-only program folder: the home folder is the next place a user looks.
    std::string reason = LastFileError(), home = HomeFolder();
    if (!home.empty()) {
        *path = FreshName(home + "/", kStrUnsavedPrefix, kStrUnsavedSuffix);
        if (WriteNewFile(*path, utf8Text)) return true;
    }
    SetFileError(reason);
    return false;
}
