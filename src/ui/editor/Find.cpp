// Every OpenFind takes the current selection as the search term, or forgets the old one.
#include "ui/editor/Find.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "ui/editor/Editor.h"
#include "ui/editor/FindAll.h"
#include "ui/options/ApplyOptions.h"

namespace {

constexpr std::size_t kSearchLimit = 80;

}  // namespace

void OpenFind(int mode) {
    g_app.searchTerm = SelectedText(kSearchLimit);
    int flags = mode == 1 ? kFindNextFlag : kFindNextFlag | kFindDown;
    if (mode != 0) flags |= FindAllOptionsFor(g_app.searchTerm);
    if (mode == 0) {
        SetControlsDisabled(kGadgetAdd, kGadgetSelector, 1);
        OpenFindDialog(g_app.searchTerm);
        return;
    }
    if (!g_app.searchTerm.empty()) FindNext(flags);
}

void FindNext(int flags) {
    if (flags & kFindClosing) {
        SetControlsDisabled(kGadgetAdd, kGadgetSelector, 0);
        return;
    }
    int start, end, length = 0;
    EditorSelection(kGadgetEditor, &start, &end);
    int found = FindInEditor(kGadgetEditor, g_app.searchTerm, (flags & kFindDown) ? end : start, flags, &length);
    if (found < 0) {
        // Past the last match the user learns that there were others, not that there are none.
        bool elsewhere = FindInEditor(kGadgetEditor, g_app.searchTerm, 0, flags | kFindDown, &length) >= 0;
        bool down = flags & kFindDown;
        ShowNotice(g_app.programTitle, elsewhere ? Str(kStrNoMorePrefix) + g_app.searchTerm + Str(down ? kStrNoMoreBelow : kStrNoMoreAbove)
                                                 : Str(kStrNotFoundPrefix) + g_app.searchTerm);
        return;
    }
    SetEditorSelection(kGadgetEditor, found, found + length);
}

void OnFindReport(const Message& message) {
    if (!(message.number & kFindClosing)) g_app.searchTerm = message.text;
    FindNext(message.number);
}
