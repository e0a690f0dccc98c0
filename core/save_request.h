// What became of a request to save the competition under its file name (finish autosave).
#pragma once

namespace skarvel {

enum class SaveRequest {
    kNoFileName,  // the competition has no file name yet: the caller asks the user to save
    kStarted,     // the save is made (or under way); a failure later is told by the saver
    kFailed,      // the save could not be made; the saver has told the user why
};

}  // namespace skarvel
