#include "frame.h"

namespace orvcli {

bool CheckFrameSize(int64_t width, int64_t height, const std::string &what, std::string *error) {
    if (width < 1 || height < 1) {
        *error = what + " is empty (" + std::to_string(width) + "x" + std::to_string(height) + ")";
        return false;
    }
    if (width > kMaxFrameWidth || height > kMaxFrameHeight) {
        *error = what + " is " + std::to_string(width) + "x" + std::to_string(height) +
                 "; the effect takes frames up to " + std::to_string(kMaxFrameWidth) + " pixels wide and " +
                 std::to_string(kMaxFrameHeight) + " high";
        return false;
    }
    return true;
}

}  // namespace orvcli
