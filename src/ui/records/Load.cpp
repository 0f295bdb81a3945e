// The load: restore or starter file when the data file is missing, validation, one title per
// slot from its first 48 bytes, the "Default" rule, then the first record shown and the
// controls enabled. At start-up the file work runs on the load worker while the main window is
// being built; every control change is then handed to the UI thread, in order, once the
// window exists. Entries go over in batches. The worker writes nothing of g_app but loadState:
// what it learnt of the data file waits in the load's result until the UI thread takes it.
#include "ui/records/Load.h"

#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/store/DataFile.h"
#include "core/store/Titles.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/editor/Editor.h"
#include "ui/editor/Journal.h"
#include "ui/options/ApplyOptions.h"
#include "ui/records/RecordList.h"

namespace {

constexpr std::size_t kEntryBatch = 2048;

struct WindowGate {
    std::mutex lock;
    std::condition_variable opened;
    bool built = false;
};
WindowGate s_gate;

// What the load worker learnt of the data file, for the UI thread: the file's version and the
// shown slot as read (zeros where that failed). The worker fills it; the UI thread takes it
// once, in the load's last step or after joining the worker, whichever comes first.
struct LoadResult {
    bool filled = false;
    bool versionKnown = false;
    bool starterWritten = false;  // the deletions of this run were of the file that is gone
    FileVersion version;
    unsigned char slotImage[kSlotSize];
};
std::mutex s_resultLock;
LoadResult s_result;  // s_resultLock

void NoteLoadedVersion() {
    FileVersion version;
    bool known = VersionOfFile(g_app.dataPath, &version);
    std::lock_guard<std::mutex> hold(s_resultLock);
    s_result.filled = true;
    s_result.versionKnown = known;
    s_result.version = version;
    std::memset(s_result.slotImage, 0, kSlotSize);
}

void NoteStarterWritten() {
    std::lock_guard<std::mutex> hold(s_resultLock);
    s_result.starterWritten = true;
}

// UI thread.
void TakeLoadResult() {
    std::lock_guard<std::mutex> hold(s_resultLock);
    if (s_result.starterWritten) ForgetDeletions();
    s_result.starterWritten = false;
    if (!s_result.filled) return;
    s_result.filled = false;
    AdoptDataFileVersion(s_result.versionKnown, s_result.version);
    std::memcpy(g_app.slotImage, s_result.slotImage, kSlotSize);
}

// Control changes wait until the main window exists.
void ToUi(std::function<void()> step) {
    {
        std::unique_lock<std::mutex> hold(s_gate.lock);
        s_gate.opened.wait(hold, [] { return s_gate.built; });
    }
    RunOnUiThread(std::move(step));
}

void ShowEditorNotice(const std::string& text) {
    ToUi([text] {
        SetEditorText(kGadgetEditor, text);
        SetEditorSelection(kGadgetEditor, -1, -1);
    });
}

// An empty text ends the run without a word: the user chose it, in answer to a question.
void FailLoad(const std::string& text) {
    g_app.loadState = kLoadFailed;
    ToUi([text] {
        TakeLoadResult();
        if (!text.empty()) ShowProgramNotice(text);
        g_app.running = 0;
        PostWakeEvent();
    });
}

std::string DataFileErrorWithReason() {
    std::string text = DataFileErrorText(), reason = LastFileError();
    if (!reason.empty()) text += "\n" + reason;
    return text;
}

// The backup's size where it can be restored: the user's own, whole and within the record
// limit (one past it could be of terabytes of holes); else -1, with a word to the user where it
// is another's. *when: the time it was taken.
std::int64_t RestorableBackupSize(std::string* when) {
    std::int64_t backupSize = DataFileSize(g_app.backupPath);
    // Another user's backup, or one another user's link leads to, holds no records of the user's:
    // it is neither taken nor moved.
    std::string backup;
    if (backupSize > 0 && (!ResolveReplacement(g_app.backupPath, &backup) || !IsOwnFile(backup))) {
        ToUi([] { ShowProgramNotice(Str(kStrBackupNotOwn) + g_app.backupPath); });
        return -1;
    }
    FileVersion version;
    if (!IsWellFormedSize(backupSize) || IsOversized(backupSize) || !VersionOfFile(backup, &version))
        return backupSize > 0 ? -2 : -1;
    *when = LocalTimeText(version.modified);
    return backupSize;
}

std::string RestoredText(const std::string& when) { return Str(kStrRestoredPrefix) + when + Str(kStrRestoredSuffix); }

// A missing data file comes back from a backup of good size, or as the starter file; a
// damaged backup is first set aside, so that no refresh can ever write over it. Only a data
// file that does not exist is missing: a look-up that fails otherwise writes nothing.
bool ProvideDataFile(int mode, std::string* failure) {
    if (mode == kLoadReset) return true;  // the caller wrote the starter file
    FileInfo data = StatPath(g_app.dataPath);
    if (data.kind != kFileMissing) {
        if (data.kind != kFileUnknown) return true;
        *failure = DataFileErrorWithReason();
        return false;
    }
    std::string when;
    std::int64_t backupSize = RestorableBackupSize(&when);
    if (backupSize > 0) {
        ShowEditorNotice(Str(kStrRestoreNotice));
        if (RestoreFromBackup(backupSize)) {
            // Once the window shows, since the user may otherwise go on without knowing.
            ToUi([when] { ShowProgramNotice(RestoredText(when)); });
            return true;
        }
        *failure = FailureText(kStrRestoreFailed);
        return false;
    }
    std::string keptAs;
    if (backupSize == -2 && !SetAsideDamagedBackup(&keptAs)) {
        *failure = FailureText(kStrRestoreFailed);
        return false;
    }
    if (!keptAs.empty())
        ToUi([keptAs] { ShowProgramNotice(Str(kStrBackupSetAsidePrefix) + keptAs + Str(kStrBackupSetAsideSuffix)); });
    if (CreateStarterFileOnly()) {
        NoteStarterWritten();
        return true;
    }
    *failure = DataFileErrorWithReason();
    return false;
}

// A question of the worker's waits for the UI thread, unless that thread waits for the worker
// (a close during the load): then the answer is No, and the question is not shown after.
std::mutex s_askLock;
std::condition_variable s_answered;
bool s_uiWaits = false;  // s_askLock

// From the load worker: a question answered on the UI thread, which the worker waits for.
bool AskOnUi(const std::string& text) {
    auto answer = std::make_shared<int>(-1);  // s_askLock: -1 until answered, then 0 or 1
    ToUi([answer, text] {
        {
            std::lock_guard<std::mutex> hold(s_askLock);
            if (*answer >= 0) return;
        }
        bool yes = AskProgramQuestion(text);
        std::lock_guard<std::mutex> hold(s_askLock);
        *answer = yes;
        s_answered.notify_all();
    });
    std::unique_lock<std::mutex> hold(s_askLock);
    s_answered.wait(hold, [&answer] { return *answer >= 0 || s_uiWaits; });
    if (*answer < 0) *answer = 0;
    return *answer == 1;
}

// A data file that ends in part of a slot (a cut copy, a full disk) is salvaged when the user
// agrees, or, where there is a backup, replaced by it; otherwise it ends the program as any
// damaged data file does. Either way the damaged file stays beside, bytes unchanged.
bool SalvageOnRequest(std::int64_t size, std::string* failure) {
    *failure = DataFileErrorText();
    std::string when;
    std::int64_t backupSize = RestorableBackupSize(&when);
    std::string question = DamagedDataFileText(size), offer, told;
    if (backupSize > 0) {
        std::int64_t records = backupSize / kSlotSize;
        std::string backup =
            when + ", " + std::to_string(records) + Str(records == 1 ? kStrBackupRecord : kStrBackupRecords);
        question += Str(kStrSalvageOrBackupPrefix) + backup + Str(kStrSalvageOrBackupSuffix);
        offer = Str(kStrBackupInsteadPrefix) + backup + Str(kStrBackupInsteadSuffix);
    } else {
        question += Str(kStrSalvageQuestion);
    }
    std::string keptAs;
    bool done = false;
    if (AskOnUi(question)) {
        done = SalvageDataFile(&keptAs);
        told = Str(kStrSalvaged);
    } else if (!offer.empty() && AskOnUi(offer)) {
        done = RestoreOverDamaged(backupSize, &keptAs);
        told = RestoredText(when) + "\n\n";
    } else {
        failure->clear();  // the question said that No ends Jotcrate and changes nothing
        return false;
    }
    if (!done) {
        *failure = DataFileErrorWithReason();
        return false;
    }
    told += Str(kStrDamagedKeptAs) + keptAs;
    ToUi([told] { ShowProgramNotice(told); });
    return true;
}

void CollectEntries(std::vector<SelectorEntry>&& batch, void* context) {
    static_cast<std::vector<std::vector<SelectorEntry>>*>(context)->push_back(std::move(batch));
}

// Hands the text of the entry at position to the editor; a failed read shows an empty,
// read-only record and says so. image: the slot as read.
void ShowText(int position, std::string text, const unsigned char* image, bool read, std::string reason) {
    std::vector<unsigned char> slot;
    if (read) slot.assign(image, image + kSlotSize);
    ToUi([position, text = std::move(text), read, reason = std::move(reason), slot = std::move(slot)]() mutable {
        SetEditorText(kGadgetEditor, text);
        g_app.shownPosition = position;
        g_app.shownSlot = std::move(slot);
        ApplyZoom();
        g_app.shownRecordUnreadable = !read;
        if (g_app.loaded) UpdateEditorReadOnly();
        if (!read) ShowProgramNotice(Str(kStrReadFailed) + reason);
    });
}

// image: g_app.slotImage on the UI thread, a buffer of its own on the worker.
void ShowSlot(int position, std::int64_t slot, unsigned char* image) {
    bool read = ReadSlotImage(slot, image);
    ShowText(position, DecodeText(image), image, read, read ? std::string() : LastFileError());
}

}  // namespace

void MainWindowBuilt() {
    std::lock_guard<std::mutex> hold(s_gate.lock);
    s_gate.built = true;
    s_gate.opened.notify_all();
}

void LoadRecords(int mode) {
    std::string failure;
    if (!ProvideDataFile(mode, &failure)) {
        FailLoad(failure);
        return;
    }
    std::int64_t size = DataFileSize(g_app.dataPath);
    // Records are read only where the user's own links lead, and what the user types must not
    // land in a file another user can read.
    std::string real;
    if (size >= 0 && !ResolveReplacement(g_app.dataPath, &real)) {
        FailLoad(DataFileErrorWithReason());
        return;
    }
    if (size >= 0 && !IsOwnFile(real)) {
        FailLoad(Str(kStrDataFileNotOwn) + g_app.dataPath);
        return;
    }
    if (size > kSlotSize && !IsWellFormedSize(size) && !IsOversized(size) && IsWritableFile(g_app.dataPath)) {
        if (!SalvageOnRequest(size, &failure)) {
            FailLoad(failure);
            return;
        }
        size = DataFileSize(g_app.dataPath);
    }
    if (!IsWellFormedSize(size) || !IsWritableFile(g_app.dataPath)) {
        FailLoad(DataFileErrorText());
        return;
    }
    NoteLoadedVersion();
    std::int64_t count = size / kSlotSize < kRecordLimit ? size / kSlotSize : kRecordLimit;
    if (IsOversized(size)) ToUi([size] { ShowProgramNotice(OversizedDataFileText(size)); });
    std::vector<std::vector<SelectorEntry>> batches;
    std::int64_t selected = 0;
    if (!ListTitles(g_app.dataPath, count, kEntryBatch, CollectEntries, &batches, &selected)) {
        FailLoad(DataFileErrorWithReason());
        return;
    }
    // The notice goes up before the entries; the listing itself ran while the window was built.
    if (count >= kLargeLoad) {
        ShowEditorNotice(Str(kStrLargeLoadPrefix) + std::to_string(count) + Str(kStrLargeLoadSuffix));
        ToUi([count] { ReserveList(static_cast<int>(count)); });
    }
    for (std::vector<SelectorEntry>& batch : batches)
        ToUi([entries = std::move(batch)]() mutable { AddListEntries(std::move(entries)); });
    ToUi([selected] { SelectEntry(kGadgetSelector, static_cast<int>(selected)); });
    std::vector<unsigned char> image(kSlotSize);
    ShowSlot(static_cast<int>(selected), selected, image.data());
    {
        std::lock_guard<std::mutex> hold(s_resultLock);
        std::memcpy(s_result.slotImage, image.data(), kSlotSize);
    }
    g_app.loadState = kLoadSucceeded;
    ToUi([mode] {
        TakeLoadResult();
        g_app.loaded = true;
        SetControlsDisabled(kGadgetAdd, kGadgetSelector, 0);
        UpdateEditorReadOnly();
        WatchFile(kWindowMain, g_app.dataPath);
        if (mode == kLoadStartup) OfferJournal();
    });
}

bool ReloadRecords() {
    // A file another program is still writing is no version to show; its next change comes.
    // One another user put in place is never shown as the user's records.
    std::int64_t size = DataFileSize(g_app.dataPath);
    if (!IsWellFormedSize(size) || !IsDataFileOwn()) return false;
    std::string shownTitle;
    // Another program's file holds the record under the title it was stored with, not one typed
    // since: the one the listing below derives from the slot as shown.
    if (g_app.shownSlot.size() == static_cast<std::size_t>(kSlotSize)) {
        std::string text = DecodeText(g_app.shownSlot.data());
        shownTitle = LoadTitle(text, RecordEncoding(text));
    } else if (g_app.shownPosition >= 0) {
        shownTitle = SelectorTitle(kGadgetSelector, g_app.shownPosition);
    }
    // The version is taken before the read, so that a change during it is heard again; a read
    // that fails leaves the file still counted as changed, since its records were never shown.
    FileVersion before = g_app.dataVersion;
    bool beforeKnown = g_app.dataVersionKnown;
    NoteDataFileVersion();
    std::int64_t count = size / kSlotSize < kRecordLimit ? size / kSlotSize : kRecordLimit;
    std::vector<std::vector<SelectorEntry>> batches;
    std::int64_t selected = 0;
    if (!ListTitles(g_app.dataPath, count, kEntryBatch, CollectEntries, &batches, &selected)) {
        g_app.dataVersion = before;
        g_app.dataVersionKnown = beforeKnown;
        return false;
    }
    // Deletions and edits of this run were of the file that is gone.
    ForgetDeletions();
    g_app.recordsDeleted = 0;
    g_app.unsavedEdit = 0;
    g_app.dataChangedElsewhere = false;
    g_app.wroteData = false;
    ++g_app.reloads;
    ++g_app.listChanges;
    ClearList();
    std::int64_t position = 0, sameTitle = -1;
    for (std::vector<SelectorEntry>& batch : batches) {
        for (const SelectorEntry& entry : batch) {
            if (sameTitle < 0 && !shownTitle.empty() && entry.title == shownTitle) sameTitle = position;
            ++position;
        }
        AddListEntries(std::move(batch));
    }
    if (sameTitle >= 0) selected = sameTitle;
    SelectEntry(kGadgetSelector, static_cast<int>(selected));
    ShowSlot(static_cast<int>(selected), selected, g_app.slotImage);
    return true;
}

void StartLoadWorker() { g_app.loadWorker = std::thread(LoadRecords, kLoadStartup); }

void WaitForLoadWorker() {
    if (!g_app.loadWorker.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(s_askLock);
        s_uiWaits = true;
        s_answered.notify_all();
    }
    g_app.loadWorker.join();
    TakeLoadResult();
    std::lock_guard<std::mutex> hold(s_askLock);
    s_uiWaits = false;
}

void LoadSelectedRecord() {
    int position = SelectedEntry(kGadgetSelector);
    if (position >= 0) ShowSlot(position, SlotAt(position), g_app.slotImage);
}
