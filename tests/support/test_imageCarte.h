// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A camera card for the tests: a FAT32 or exFAT image made with dosfstools or exfatprogs,
// mounted through FUSE (fusefat, exfat-fuse) in a temporary folder and unmounted when the
// object goes. Where the system refuses (no /dev/fuse, a tool missing, no loop device for
// root's exfat-fuse), ok() is false and reason() says why, for
//     if (!carte.ok()) GTEST_SKIP() << "skipped: " << carte.reason();
#include <cstdint>
#include <string>

namespace varlime::test {

enum class SystemeCarte { Fat32, ExFat };

// "FAT32" or "exFAT", for test names and messages.
const char* nomSysteme(SystemeCarte s);

class ImageCarte {
public:
    // sizeMiB: FAT32 needs at least 33 MiB. serial: the volume's serial number (0 keeps the
    // one the formatting tool draws), so a test can make two cards alike or different.
    explicit ImageCarte(SystemeCarte s, unsigned sizeMiB = 64, std::uint32_t serial = 0);
    ~ImageCarte();
    ImageCarte(const ImageCarte&) = delete;
    ImageCarte& operator=(const ImageCarte&) = delete;

    bool ok() const { return monte_; }
    const std::string& reason() const { return raison_; }
    SystemeCarte systeme() const { return systeme_; }
    // The mounted card's root, ending in '/'.
    const std::string& racine() const { return point_; }
    // The image file itself (to copy it, or to mount it elsewhere).
    const std::string& image() const { return image_; }

    // Unmounts and mounts again at the same place, as an eject and re-insert do
    // (inode numbers are drawn anew). False, with reason(), when either step fails.
    bool remonter();
    bool demonter();
    bool monter();

private:
    SystemeCarte systeme_;
    std::string dossier_; // temporary folder holding the image and the mount point
    std::string image_;
    std::string point_;
    std::string boucle_; // loop device, when root mounts exFAT
    int demon_ = -1;     // the FAT daemon, run in the foreground
    std::string raison_;
    bool monte_ = false;
};

} // namespace varlime::test
