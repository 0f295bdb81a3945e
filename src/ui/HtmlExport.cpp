// Closes the options dialog as Cancel does, asks for the file, and writes the page in record
// selector order. A page that could not be written is reported and nothing is opened.
#include "ui/HtmlExport.h"

#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "core/export/HtmlPage.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "ui/Notices.h"
#include "ui/StandIns.h"
#include "ui/options/OptionsDialog.h"
#include "ui/records/RecordList.h"

void ExportHtml() {
    CloseOptionsDialog();
    std::string path;
    if (!PickSaveFile(Str(kStrExportTitle), g_app.programFolder, Str(kStrExportBaseName) + Str(kStrExportExtension),
                      Str(kStrExportFilter), &path))
        return;
    path = ExportFileName(path);
    // Whatever is there is asked about, and only what the user agreed to is replaced; what
    // cannot be replaced (a folder, a device, another user's link) is refused before asking.
    std::string target;
    FileIdentity asked;
    bool fits = ResolveReplacement(path, &target) && IdentityOfPath(target, &asked);
    if (fits && asked.exists && !AskProgramQuestion(Str(kStrExportOverwrite))) return;
    std::vector<SelectorEntry> entries;
    for (int i = 0; i < SelectorCount(kGadgetSelector); ++i) entries.push_back(ListEntryAt(i));
    if (!fits || !WriteExportPage(path, entries, &asked)) {
        ShowFailure(kStrExportFailed);
        return;
    }
    LaunchTarget(path);
}
