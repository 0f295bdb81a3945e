// The HTML export page: the fixed head with its icons and script, one fragment per record,
// and the footer; and writing the page for a list of records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/RecordText.h"
#include "platform/Files.h"

std::string PageHead(const std::string& programTitle, int count);
// Replaces "&", "<" and ">" by their entities, in that order.
std::string EscapeHtml(std::string_view text);
// The body of a record, as UTF-8: its trimmed text after the title the selector shows.
std::string ExportBody(std::string_view text, const std::string& title);
std::string RecordFragment(int position, std::string_view title, std::string_view body);
// The chosen name, with the export extension added unless it already ends in it.
std::string ExportFileName(const std::string& chosen);
// Writes the page for the entries, in their order, through a temporary file. With asked, the
// page replaces only that very file (or nothing, when it named none): what the user agreed to.
bool WriteExportPage(const std::string& path, const std::vector<SelectorEntry>& entries,
                     const FileIdentity* asked = nullptr);
