#include "exif/msData.h"

namespace varlime {

TmsInfo::TmsInfo(bool fromTiff, TImageInfo& owner) : FromTiff(fromTiff), Owner(owner) {}

// No maker-note layout is known yet: every maker note lists nothing.
bool TmsInfo::ReadMakerNote() { return false; }

void TImageInfo::WalkMakerDirectory(const std::string& makerNote, std::span<const TTagRow> table,
                                    std::int64_t directoryOffset, std::int64_t valueBase,
                                    std::int64_t fallbackBase) {
    (void)makerNote;
    (void)table;
    (void)directoryOffset;
    (void)valueBase;
    (void)fallbackBase;
}

} // namespace varlime
