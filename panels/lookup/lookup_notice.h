#pragma once

#include <string>
#include <vector>

// Why the lookup panel has no serial number to post, which it then tells the user.
enum class LookupNotice {
    NothingTyped,        // Enter was pressed with an empty search box
    NoSerialRead,        // the machine gave no serial number at all
    SerialNotPermitted,  // the serial number exists but this user may not read it
    SerialNotRecorded,   // the firmware holds no serial number
};

// The notice's lines, in Simplified Chinese: what happened first, then what the user can do.
std::vector<std::string> lookupNoticeLines(LookupNotice notice);
