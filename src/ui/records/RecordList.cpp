// The record list's entries, kept in the selector and in g_app.listSlots alike.
#include "ui/records/RecordList.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "platform/Gui.h"

void ClearList() {
    ClearSelector(kGadgetSelector);
    g_app.listSlots.clear();
}

void ReserveList(int count) {
    ReserveSelector(kGadgetSelector, count);
    g_app.listSlots.reserve(static_cast<std::size_t>(count));
}

void AddListEntries(std::vector<SelectorEntry>&& entries) {
    std::vector<std::string> titles;
    titles.reserve(entries.size());
    for (SelectorEntry& entry : entries) {
        titles.push_back(std::move(entry.title));
        g_app.listSlots.push_back(entry.slot);
    }
    AddSelectorTitles(kGadgetSelector, std::move(titles));
}

void InsertListEntry(int position, SelectorEntry entry) {
    if (position < 0 || position > static_cast<int>(g_app.listSlots.size())) return;
    InsertSelectorTitle(kGadgetSelector, position, entry.title);
    g_app.listSlots.insert(g_app.listSlots.begin() + position, entry.slot);
}

void RemoveListEntry(int position) {
    if (position < 0 || position >= static_cast<int>(g_app.listSlots.size())) return;
    RemoveSelectorEntry(kGadgetSelector, position);
    g_app.listSlots.erase(g_app.listSlots.begin() + position);
}

std::int64_t SlotAt(int position) {
    if (position < 0 || position >= static_cast<int>(g_app.listSlots.size())) return -1;
    return g_app.listSlots[static_cast<std::size_t>(position)];
}

SelectorEntry ListEntryAt(int position) {
    return SelectorEntry{SelectorTitle(kGadgetSelector, position), SlotAt(position)};
}
