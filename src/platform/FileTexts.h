// The words of a file failure that are the program's own, by code: what the file layer was
// doing ("Opening", before the path) and the reasons it gives where the system has none. The
// texts are the string table's, which the platform cannot read: the layer above hands them
// down once at start (HandTextsToFileLayer). The system's own reasons stay the system's.
#pragma once

#include <string>

enum FileDoing {
    kDoingOpening,
    kDoingOpeningFolder,
    kDoingFlushingFolder,
    kDoingLookingUp,
    kDoingFollowing,
    kDoingCreating,
    kDoingLocking,
    kDoingReadingSizeOf,
    kDoingReading,
    kDoingWriting,
    kDoingFlushing,
    kDoingTruncating,
    kDoingReplacing,
    kDoingNaming,
    kDoingRenaming,
    kDoingDeleting,
    kDoingMaking,
    kDoingReservingSpaceFor,
    kDoingReservingSpaceIn,
    kDoingCopying,
    kFileDoings
};

enum FileReason {
    kReasonOthersLinkOnWay,
    kReasonNotRegular,        // a replacement refused: a folder, a pipe, a device
    kReasonNotRegularToOpen,  // the same met by an open on Windows
    kReasonOthersFile,
    kReasonMadeMeanwhile,
    kReasonRemovedMeanwhile,
    kReasonReplacedMeanwhile,
    kReasonWrittenMeanwhile,
    kReasonLinkToNothing,
    kReasonNothingWritten,
    kReasonEndsSooner,
    kReasonGrewWhileCopied,
    kReasonChangedWhileCopied,
    kReasonShellLinkNotSaved,
    kReasonErrorNumber,  // followed by the number of an error the system has no text for
    kFileReasons
};

struct FileTexts {
    std::string doings[kFileDoings];
    std::string reasons[kFileReasons];
};

// Texts equal to those handed down before are left as they are, so that a start run again (as
// tests do) writes nothing under the threads that may be reading them.
void SetFileTexts(const FileTexts& texts);
// A code whose text was never handed down reads as its number ("doing 3"): a failure still says
// which step failed, and nothing reads past a table.
std::string FileDoingText(FileDoing doing);
std::string FileReasonText(FileReason reason);
// "Doing PATH: reason" as LastFileError(); false, so that a failing step can return it.
bool FailWith(FileDoing doing, const std::string& path, const std::string& reason);
bool FailWith(FileDoing doing, const std::string& path, FileReason reason);
