#include "i18n/uLocalization.h"

namespace varlime {

Localization::Localization(std::string programFolder) : programFolder_(std::move(programFolder)) {}

std::string Localization::GetLangText(std::string_view, std::string_view,
                                      std::string_view defaultText) {
    // Language files are not read yet: the built-in French texts are used.
    return std::string(defaultText);
}

} // namespace varlime
