// Writes an export page as the program would after a run with a deleted and an added record,
// beside a record in Windows-1252 and one in UTF-8:
//   export_probe FOLDER   writes FOLDER/Jotcrate.jcd and FOLDER/page.html
#include <cstdio>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/StringTable.h"
#include "core/export/HtmlPage.h"
#include "core/store/DataFile.h"
#include "core/store/Titles.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
    ResolvePaths(std::string(argv[1]) + "/jotcrate");
    const char* texts[] = {"Phone numbers\r\nAnn 555 1234\r\nBob 555 9876",
                           "Deleted record\r\nthis one was deleted",
                           "Recipes <b>\r\nflour & water\r\n",
                           "Long lines\r\n"
                           "this line is long and stays one line as written in the record, however wide",
                           "New record",
                           "Caf\xE9 list\r\nna\xEFve cr\xE8me",
                           "\xC3\x9C"
                           "bung\r\n\xE2\x82\xAC 5 \xE2\x80\x94 fertig"};
    std::vector<SelectorEntry> entries;
    for (int slot = 0; slot < 7; ++slot) {
        EncodeText(texts[slot], g_app.slotImage);
        if (slot == 1) g_app.slotImage[0] = 1;
        if (!WriteSlot(slot)) return 1;
        if (slot != 1) entries.push_back(SelectorEntry{LoadTitle(texts[slot], RecordEncoding(texts[slot])), slot});
    }
    std::string page = std::string(argv[1]) + "/page.html";
    if (!WriteExportPage(page, entries)) {
        std::fprintf(stderr, "%s\n", LastFileError().c_str());
        return 1;
    }
    std::printf("%s\n", page.c_str());
    return 0;
}
