#pragma once
// Drives and media on Linux: a drive is the volume (mount point) holding a folder.
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// Mount points listed in a /proc/self/mountinfo text, with their escapes undone.
std::vector<std::string> pointsDeMontage(std::string_view mountinfo);

// The mount point holding `chemin` (the longest one that prefixes it), empty when none.
std::string volumeDe(const std::string& chemin, const std::vector<std::string>& points);

// For a folder of removable media (/media/USER/NAME, /run/media/USER/NAME, /mnt/NAME),
// the folder where its medium is mounted; empty for any other folder.
std::string racineMedia(const std::string& chemin);

// True when the drive holding `dossier` is there with a medium: a removable-media
// folder's volume must be mounted, and the volume's size must be readable.
bool DiskInDrive(const std::string& dossier);

} // namespace varlime
