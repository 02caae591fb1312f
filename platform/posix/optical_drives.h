// The game-disc drives of this machine: mount points of optical media.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ml {

// Mount points of iso9660 and udf file systems listed in /proc/mounts, in its order.
std::vector<std::string> opticalDriveRoots();
// The same from the text of a mounts table (one "device mountpoint type ..." per line).
std::vector<std::string> opticalDriveRootsFrom(std::string_view mountsText);

}  // namespace ml
