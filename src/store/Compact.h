// Removes the slots marked deleted from the data file, at shutdown.
#pragma once

// The data file is replaced only once the compaction file holds every live slot and is on
// disk; on failure it stays as it was and the compaction file is removed.
bool CompactDataFile();
