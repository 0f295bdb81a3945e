// The record list: the selector shows the titles, and g_app.listSlots keeps beside them the
// slot each entry stands for. Every change of the list goes through here, so the two agree.
#pragma once

#include <cstdint>
#include <vector>

#include "base/RecordText.h"

void ClearList();
void ReserveList(int count);
void AddListEntries(std::vector<SelectorEntry>&& entries);
void InsertListEntry(int position, SelectorEntry entry);
void RemoveListEntry(int position);
// The slot of the entry at position; -1 outside the list.
std::int64_t SlotAt(int position);
SelectorEntry ListEntryAt(int position);
