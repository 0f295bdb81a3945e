// Removes the slots this run deleted from the data file, at shutdown, and clears the marks
// that an earlier run left.
#pragma once

// The data file is replaced only once the compaction file holds every live slot and is on
// disk; on failure it stays as it was and the compaction file is removed.
bool CompactDataFile();
