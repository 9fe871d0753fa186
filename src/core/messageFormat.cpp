#include "core/messageFormat.h"

#include "i18n/uLocalization.h"

namespace varlime {

TextLookup lookupMessages(Localization& localization) {
    return [&localization](std::string_view key, std::string_view defaut) {
        return localization.GetLangText("MESSAGES", key, defaut);
    };
}

TextLookup defaultMessages() {
    return [](std::string_view, std::string_view defaut) { return std::string(defaut); };
}

std::string formatMessage(std::string_view fmt, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(fmt.size() + 32);
    auto next = values.begin();
    std::size_t i = 0;
    while (i < fmt.size()) {
        const char c = fmt[i];
        if (c != '%' || i + 1 >= fmt.size()) {
            out += c;
            ++i;
            continue;
        }
        if (fmt[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // Skip flags, width, precision and length, up to the conversion letter.
        std::size_t j = i + 1;
        while (j < fmt.size() &&
               std::string_view("-+ #0123456789.*hlLqjzt").find(fmt[j]) != std::string_view::npos)
            ++j;
        if (j >= fmt.size() ||
            !((fmt[j] >= 'a' && fmt[j] <= 'z') || (fmt[j] >= 'A' && fmt[j] <= 'Z'))) {
            // Not a field: keep the text as written.
            out += c;
            ++i;
            continue;
        }
        if (next != values.end()) {
            out += *next;
            ++next;
        }
        i = j + 1;
    }
    return out;
}

std::vector<std::string> messageLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        current += c;
    }
    lines.push_back(current);
    return lines;
}

} // namespace varlime
