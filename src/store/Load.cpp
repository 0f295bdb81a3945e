// The load: restore or starter file when the data file is missing, validation, one title per
// slot from its first 48 bytes, the "Default" rule, then the first record shown and the
// controls enabled. On the worker, every control change is handed to the UI thread in order;
// entries go over in batches.
#include "store/Load.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Numbers.h"
#include "app/StringTable.h"
#include "editor/Editor.h"
#include "options/ApplyOptions.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "store/DataFile.h"
#include "store/Titles.h"

namespace {

constexpr std::size_t kEntryBatch = 2048;

void ShowEditorNotice(const std::string& text) {
    RunOnUiThread([text] { SetEditorText(kGadgetEditor, text); SetEditorSelection(kGadgetEditor, -1, -1); });
}

void FailLoad(const std::string& text) {
    g_app.loadState = kLoadFailed;
    RunOnUiThread([text] {
        ShowNotice(g_app.programTitle, text);
        g_app.running = 0;
        PostWakeEvent();
    });
}

std::string DataFileErrorWithReason() {
    std::string reason = LastFileError();
    return reason.empty() ? DataFileErrorText() : DataFileErrorText() + "\n" + reason;
}

// A missing data file comes back from a backup of good size, or as the starter file.
bool ProvideDataFile(int mode, std::int64_t backupSize) {
    if (mode == kLoadReset) return CreateStarterFile();
    if (StatPath(g_app.dataPath).kind != kFileMissing) return true;
    if (IsWellFormedSize(backupSize)) {
        ShowEditorNotice(Str(kStrRestoreNotice));
        return RestoreFromBackup();
    }
    return CreateStarterFile();
}

void DeliverEntries(std::vector<SelectorEntry>&& batch, void*) {
    RunOnUiThread([entries = std::move(batch)] { AddSelectorEntries(kGadgetSelector, entries); });
}

// Reads a slot and hands its text to the editor; a failed read shows an empty, read-only
// record and says so.
void ShowSlot(std::int64_t slot) {
    bool ok = ReadSlot(slot);
    std::string text = DecodeText(g_app.slotImage);
    std::string reason = ok ? std::string() : LastFileError();
    RunOnUiThread([text, ok, reason] {
        SetEditorText(kGadgetEditor, text);
        ApplyZoom();
        g_app.shownRecordUnreadable = !ok;
        if (g_app.loaded) UpdateEditorReadOnly();
        if (!ok) ShowNotice(g_app.programTitle, Str(kStrReadFailed) + reason);
    });
}

}  // namespace

void LoadRecords(int mode) {
    std::int64_t backupSize = DataFileSize(g_app.backupPath);
    if (!ProvideDataFile(mode, backupSize)) {
        FailLoad(DataFileErrorWithReason());
        return;
    }
    std::int64_t size = DataFileSize(g_app.dataPath);
    if (!IsWellFormedSize(size) || !IsWritableFile(g_app.dataPath)) {
        FailLoad(DataFileErrorText());
        return;
    }
    std::int64_t count = size / kSlotSize < kRecordLimit ? size / kSlotSize : kRecordLimit;
    if (count >= kLargeLoad) {
        ShowEditorNotice(Str(kStrLargeLoadPrefix) + std::to_string(count) + Str(kStrLargeLoadSuffix));
        RunOnUiThread([count] { ReserveSelector(kGadgetSelector, static_cast<int>(count)); });
    }
    std::memset(g_app.slotImage, 0, kSlotSize);
    std::int64_t selected = 0;
    if (!ListTitles(g_app.dataPath, count, kEntryBatch, DeliverEntries, nullptr, &selected)) {
        FailLoad(DataFileErrorWithReason());
        return;
    }
    RunOnUiThread([selected] { SelectEntry(kGadgetSelector, static_cast<int>(selected)); });
    ShowSlot(selected);
    g_app.loadState = kLoadSucceeded;
    RunOnUiThread([] {
        g_app.loaded = true;
        SetControlsDisabled(kGadgetAdd, kGadgetSelector, 0);
        UpdateEditorReadOnly();
    });
}

void StartLoadWorker() { g_app.loadWorker = std::thread(LoadRecords, kLoadStartup); }

void WaitForLoadWorker() {
    if (g_app.loadWorker.joinable()) g_app.loadWorker.join();
}

void LoadSelectedRecord() {
    int position = SelectedEntry(kGadgetSelector);
    if (position >= 0) ShowSlot(SelectorEntryAt(kGadgetSelector, position).slot);
}
