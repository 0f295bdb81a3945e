// The record dump: every slot's text, trimmed, into "record-dump.txt" beside the program.
#pragma once

enum DumpResult {
    kDumpWritten,
    kDumpDataFileError,  // missing, empty or shorter than one slot: no dump file is made
    kDumpDamaged,        // not a whole number of slots: the whole ones were dumped
    kDumpOversized,      // more slots than the record limit: the first ones were dumped
    kDumpFailed,         // reading or writing failed: LastFileError() says why
};

// besideWindow: another instance has the data file open and may save into it meanwhile.
DumpResult WriteRecordDump(bool besideWindow = false);
