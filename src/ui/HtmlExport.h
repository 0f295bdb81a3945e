// The Export command: every record into one HTML page, opened in the browser.
#pragma once

void ExportHtml();
