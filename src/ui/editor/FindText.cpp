// Without Match Case both sides are folded fully, as Find in All Records folds them, so a
// match it listed ("strasse" in "Straße") is found here too; the folded text's units lead
// back to the text's characters, since folding changes lengths only at ß and ẞ.
#include "ui/editor/FindText.h"

#include <algorithm>
#include <vector>

#include "base/TextCoding.h"
#include "core/search/CaseFold.h"
#include "core/search/SearchRecords.h"
#include "platform/Gui.h"

namespace {

bool IsWholeWordAt(std::u16string_view text, std::size_t at, std::size_t length) {
    return (at == 0 || !IsWordPart(text[at - 1])) && (at + length == text.size() || !IsWordPart(text[at + length]));
}

}  // namespace

int FindInText(std::u16string_view text, std::u16string_view term, int from, int flags, int* length) {
    if (term.empty()) return -1;
    bool folding = !(flags & kFindMatchCase);
    const std::u16string searched = folding ? FoldCase(text) : std::u16string(text);
    const std::vector<std::size_t> sources =
        folding ? FoldedSources(text, searched, FoldCase) : std::vector<std::size_t>();
    const std::u16string needle = folding ? FoldCase(term) : std::u16string(term);
    auto source = [&](std::size_t k) { return folding ? sources[k] : k; };
    long long start = std::max(0, from);
    if (folding)
        start = std::lower_bound(sources.begin(), sources.end(), static_cast<std::size_t>(start)) - sources.begin();
    bool down = flags & kFindDown;
    long long size = static_cast<long long>(searched.size()), span = static_cast<long long>(needle.size());
    long long at = down ? start : start - span;
    while (at >= 0 && at <= size) {
        std::size_t found = down ? searched.find(needle, static_cast<std::size_t>(at))
                                 : searched.rfind(needle, static_cast<std::size_t>(at));
        if (found == std::u16string::npos) break;
        std::size_t first = source(found), end = source(found + needle.size() - 1) + 1;
        if (!(flags & kFindWholeWord) || IsWholeWordAt(text, first, end - first)) {
            *length = static_cast<int>(end - first);
            return static_cast<int>(first);
        }
        at = static_cast<long long>(found) + (down ? 1 : -1);
    }
    return -1;
}

int FindInEditor(int gadget, const std::string& term, int from, int flags, int* length) {
    return FindInText(EditorPlainText(gadget), DecodeRecordText(term), from, flags, length);
}
