#pragma once
// Language files: the active language, message lookup by key, the language list.
// One Localization object is owned by the application object and handed to every
// window and module that shows text.
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

class Localization {
public:
    // programFolder: folder of the executable (ending in '/'), where lang.ini and the
    // language files are looked for first.
    explicit Localization(std::string programFolder);

    // Message lookup: value of key in section of the active language file, or the
    // default; "\n" in the result becomes a line break.
    std::string GetLangText(std::string_view section, std::string_view key,
                            std::string_view defaultText);

    const std::string& programFolder() const { return programFolder_; }

private:
    std::string programFolder_;
};

} // namespace varlime
