// The file layer's failure texts from the string table, handed down by code: the platform
// below may not read the table itself.
#include "base/StringTable.h"
#include "platform/FileTexts.h"

void HandTextsToFileLayer() {
    FileTexts texts;
    texts.doings[kDoingOpening] = Str(kStrFileDoingOpening);
    texts.doings[kDoingOpeningFolder] = Str(kStrFileDoingOpeningFolder);
    texts.doings[kDoingFlushingFolder] = Str(kStrFileDoingFlushingFolder);
    texts.doings[kDoingLookingUp] = Str(kStrFileDoingLookingUp);
    texts.doings[kDoingFollowing] = Str(kStrFileDoingFollowing);
    texts.doings[kDoingCreating] = Str(kStrFileDoingCreating);
    texts.doings[kDoingLocking] = Str(kStrFileDoingLocking);
    texts.doings[kDoingReadingSizeOf] = Str(kStrFileDoingReadingSizeOf);
    texts.doings[kDoingReading] = Str(kStrFileDoingReading);
    texts.doings[kDoingWriting] = Str(kStrFileDoingWriting);
    texts.doings[kDoingFlushing] = Str(kStrFileDoingFlushing);
    texts.doings[kDoingTruncating] = Str(kStrFileDoingTruncating);
    texts.doings[kDoingReplacing] = Str(kStrFileDoingReplacing);
    texts.doings[kDoingNaming] = Str(kStrFileDoingNaming);
    texts.doings[kDoingRenaming] = Str(kStrFileDoingRenaming);
    texts.doings[kDoingDeleting] = Str(kStrFileDoingDeleting);
    texts.doings[kDoingMaking] = Str(kStrFileDoingMaking);
    texts.doings[kDoingReservingSpaceFor] = Str(kStrFileDoingReservingSpaceFor);
    texts.doings[kDoingReservingSpaceIn] = Str(kStrFileDoingReservingSpaceIn);
    texts.doings[kDoingCopying] = Str(kStrFileDoingCopying);
    texts.reasons[kReasonOthersLinkOnWay] = Str(kStrFileReasonOthersLinkOnWay);
    texts.reasons[kReasonNotRegular] = Str(kStrFileReasonNotRegular);
    texts.reasons[kReasonNotRegularToOpen] = Str(kStrFileReasonNotRegularToOpen);
    texts.reasons[kReasonOthersFile] = Str(kStrFileReasonOthersFile);
    texts.reasons[kReasonMadeMeanwhile] = Str(kStrFileReasonMadeMeanwhile);
    texts.reasons[kReasonRemovedMeanwhile] = Str(kStrFileReasonRemovedMeanwhile);
    texts.reasons[kReasonReplacedMeanwhile] = Str(kStrFileReasonReplacedMeanwhile);
    texts.reasons[kReasonWrittenMeanwhile] = Str(kStrFileReasonWrittenMeanwhile);
    texts.reasons[kReasonLinkToNothing] = Str(kStrFileReasonLinkToNothing);
    texts.reasons[kReasonNothingWritten] = Str(kStrFileReasonNothingWritten);
    texts.reasons[kReasonEndsSooner] = Str(kStrFileReasonEndsSooner);
    texts.reasons[kReasonGrewWhileCopied] = Str(kStrFileReasonGrewWhileCopied);
    texts.reasons[kReasonChangedWhileCopied] = Str(kStrFileReasonChangedWhileCopied);
    texts.reasons[kReasonShellLinkNotSaved] = Str(kStrFileReasonShellLinkNotSaved);
    texts.reasons[kReasonErrorNumber] = Str(kStrFileReasonErrorNumber);
    SetFileTexts(texts);
}
