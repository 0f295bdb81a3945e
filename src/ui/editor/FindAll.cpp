// Each term starts a new search and stops the one before; rows that arrive from an older
// search are dropped by its number. The worker reads the data file through a handle of its
// own and touches nothing of the application state but the search index, which only the
// one running search uses.
#include "ui/editor/FindAll.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "base/TextCoding.h"
#include "core/search/CaseFold.h"
#include "core/search/SearchRecords.h"
#include "platform/CaseFolding.h"
#include "platform/Files.h"
#include "ui/editor/Find.h"
#include "ui/records/RecordList.h"
#include "ui/records/Records.h"

namespace {

std::string StatusText(bool searching) {
    const FindAllState& f = g_app.findAll;
    return (searching ? Str(kStrSearchingPrefix) : std::string()) + std::to_string(f.records) +
           Str(f.records == 1 ? kStrOneRecord : kStrRecords) + std::to_string(f.matches) +
           Str(f.matches == 1 ? kStrOneMatch : kStrMatches);
}

// A title is cut at CR LF only, so a lone CR or LF can stand in it: a row has one line.
std::string OneLine(std::string title) {
    for (char& c : title)
        if (c == '\r' || c == '\n') c = ' ';
    return title;
}

void ShowFound(std::uint32_t search, const std::vector<FoundRecord>& found, bool searching) {
    FindAllState& f = g_app.findAll;
    if (search != f.search) return;
    std::vector<ResultRow> rows;
    for (const FoundRecord& record : found) {
        f.rowSlots.push_back(record.slot);
        ++f.records;
        f.matches += record.matches;
        rows.push_back(ResultRow{OneLine(record.title), record.before, record.match, record.after});
    }
    AddResultRows(kGadgetFindAllResults, rows);
    SetFindAllStatus(StatusText(searching));
}

struct SearchRun {
    std::uint32_t search;
    std::size_t total;
};

void DeliverToUi(std::vector<FoundRecord>&& found, std::size_t searched, void* context) {
    const SearchRun* run = static_cast<const SearchRun*>(context);
    RunOnUiThread([search = run->search, found = std::move(found), searching = searched < run->total] {
        ShowFound(search, found, searching);
    });
}

void RunSearch(SearchedFile file, std::vector<SelectorEntry> entries, SearchTerm term,
               std::shared_ptr<std::atomic<bool>> stop, std::uint32_t search) {
    SearchRun run{search, entries.size()};
    if (SearchRecords(file, entries, term, TextRules{FoldCase, IsWordPart}, *stop, DeliverToUi, &run)) return;
    std::string reason = Str(kStrSearchUnreadable) + LastFileError();
    RunOnUiThread([search, reason] {
        if (search == g_app.findAll.search) SetFindAllStatus(reason);
    });
}

int PositionOfSlot(std::int64_t slot) {
    for (int position = 0; position < SelectorCount(kGadgetSelector); ++position)
        if (SlotAt(position) == slot) return position;
    return -1;
}

}  // namespace

int FindAllOptionsFor(const std::string& term) {
    const FindAllState& f = g_app.findAll;
    if (!FindAllWindowExists() || f.term.empty() ||
        FoldCase(DecodeRecordText(term)) != FoldCase(DecodeRecordText(f.term)))
        return 0;
    return f.flags & (kFindMatchCase | kFindWholeWord);
}

void StopFindAll() {
    FindAllState& f = g_app.findAll;
    if (f.stop) f.stop->store(true);
    if (f.worker.joinable()) f.worker.join();
    ++f.search;
}

void ForgetFindAllRows() {
    StopFindAll();
    FindAllState& f = g_app.findAll;
    ClearResultRows(kGadgetFindAllResults);
    f.rowSlots.clear();
    f.records = 0;
    f.matches = 0;
    SetFindAllStatus(std::string());
}

namespace {

void StartSearch(const std::string& text, int flags) {
    ForgetFindAllRows();
    FindAllState& f = g_app.findAll;
    f.term = text;
    f.flags = flags;
    if (f.term.empty()) return;
    std::vector<SelectorEntry> entries;
    for (int position = 0; position < SelectorCount(kGadgetSelector); ++position)
        entries.push_back(ListEntryAt(position));
    SearchTerm term{DecodeRecordText(f.term), (f.flags & kFindMatchCase) != 0, (f.flags & kFindWholeWord) != 0};
    SetFindAllStatus(StatusText(true));
    f.listing = g_app.listChanges;
    f.stop = std::make_shared<std::atomic<bool>>(false);
    SearchedFile file{g_app.dataPath, g_app.dataVersion, g_app.dataVersionKnown, &g_searchIndex};
    f.worker = std::thread(RunSearch, std::move(file), std::move(entries), std::move(term), f.stop, f.search);
}

}  // namespace

void OnFindAllTerm(const std::string& term, int flags) {
    // The search reads the file, so text typed in the record since the window opened is saved
    // first, or the record would not be found by what it shows. A failed save has said why;
    // the stored text is searched.
    if (g_app.unsavedEdit) SaveRecord();
    StartSearch(term, flags);
}

void RefreshFindAll() {
    const FindAllState& f = g_app.findAll;
    if (FindAllWindowExists() && !f.term.empty() && f.listing != g_app.listChanges) StartSearch(f.term, f.flags);
}

void OnFindAllChosen(int row) {
    FindAllState& f = g_app.findAll;
    if (row < 0 || static_cast<std::size_t>(row) >= f.rowSlots.size()) return;
    if (FindDialogExists()) {
        SetFindAllStatus(Str(kStrCloseFindFirst));
        return;
    }
    // Rows of a list that changed since may name slots of another file: search again.
    if (f.listing != g_app.listChanges) {
        RefreshFindAll();
        return;
    }
    int position = PositionOfSlot(f.rowSlots[static_cast<std::size_t>(row)]);
    if (position < 0) {
        SetFindAllStatus(Str(kStrNoLongerListed));
        return;
    }
    if (position != g_app.shownPosition) {
        SelectEntry(kGadgetSelector, position);
        ShowSelectedRecord();
        if (position != g_app.shownPosition) return;  // the edit could not be saved: it stays
    }
    RaiseWindow(kWindowMain);
    FocusGadget(kGadgetEditor);
    int length = 0;
    int at = FindInEditor(kGadgetEditor, f.term, 0, kFindDown | f.flags, &length);
    if (at >= 0) SetEditorSelection(kGadgetEditor, at, at + length);
}
