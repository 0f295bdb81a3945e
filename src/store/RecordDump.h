// The record dump: every slot's text, trimmed, into "record-dump.txt" beside the program.
#pragma once

enum DumpResult {
    kDumpWritten,
    kDumpDataFileError,  // missing, empty or ill-sized data file: no dump file is made
    kDumpFailed,         // reading or writing failed: LastFileError() says why
};

DumpResult WriteRecordDump();
