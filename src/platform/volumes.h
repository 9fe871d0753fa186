// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives and media on Linux: a drive is the volume (mount point) holding a folder.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// Mount points listed in a /proc/self/mountinfo text, with their escapes undone.
std::vector<std::string> pointsDeMontage(std::string_view mountinfo);

// The mount point holding `chemin` (the longest one that prefixes it), empty when none.
std::string volumeDe(const std::string& chemin, const std::vector<std::string>& points);

// The volumes a folder picker offers, from a /proc/self/mountinfo text: each mount point
// once, in the text's order, leaving out the system's own file systems (those mounted
// under /dev, /proc, /sys, /var/run or /var/lock) and any volume that `aUneTaille` says
// has no readable size (cgroup and the like, or a drive without its medium).
std::vector<std::string> volumesProposes(std::string_view mountinfo,
                                         const std::function<bool(const std::string&)>& aUneTaille);
// The same over this system's mounted volumes; a volume counts when statvfs gives it a
// size.
std::vector<std::string> volumesProposes();

// For a folder of removable media (/media/USER/NAME, /run/media/USER/NAME, /mnt/NAME),
// the folder where its medium is mounted; empty for any other folder.
std::string racineMedia(const std::string& chemin);

// True when the drive holding `dossier` is there with a medium: a removable-media
// folder's volume must be mounted, and the volume's size must be readable.
bool DiskInDrive(const std::string& dossier);

} // namespace varlime
