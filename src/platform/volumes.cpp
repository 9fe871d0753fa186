// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/volumes.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/statvfs.h>

namespace varlime {

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string sansEchappements(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool sousDossier(const std::string& chemin, const std::string& racine) {
    if (racine == "/")
        return !chemin.empty() && chemin.front() == '/';
    return chemin.compare(0, racine.size(), racine) == 0 &&
           (chemin.size() == racine.size() || chemin[racine.size()] == '/');
}

std::string premiersSegments(const std::string& chemin, std::size_t prefixe, int segments) {
    std::size_t pos = prefixe;
    for (int i = 0; i < segments; ++i) {
        if (pos >= chemin.size())
            return {};
        const std::size_t next = chemin.find('/', pos);
        if (next == pos)
            return {};
        pos = next == std::string::npos ? chemin.size() : next + 1;
    }
    std::string out = chemin.substr(0, pos);
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string lireMountinfo() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool aUneTailleLisible(const std::string& volume) {
    struct statvfs st;
    return ::statvfs(volume.c_str(), &st) == 0 && st.f_blocks > 0;
}

} // namespace

std::vector<std::string> pointsDeMontage(std::string_view mountinfo) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < mountinfo.size()) {
        std::size_t end = mountinfo.find('\n', start);
        if (end == std::string_view::npos)
            end = mountinfo.size();
        const std::string_view line = mountinfo.substr(start, end - start);
        start = end + 1;
        // Fields: id, parent, major:minor, root, mount point, ...
        std::size_t pos = 0;
        for (int field = 0; field < 4 && pos != std::string_view::npos; ++field) {
            pos = line.find(' ', pos);
            if (pos != std::string_view::npos)
                ++pos;
        }
        if (pos == std::string_view::npos || pos >= line.size())
            continue;
        const std::size_t stop = line.find(' ', pos);
        const std::string point = sansEchappements(
            line.substr(pos, stop == std::string_view::npos ? line.size() - pos : stop - pos));
        if (!point.empty() && point.front() == '/')
            out.push_back(point);
    }
    return out;
}

std::string volumeDe(const std::string& chemin, const std::vector<std::string>& points) {
    std::string best;
    for (const auto& p : points)
        if (sousDossier(chemin, p) && p.size() > best.size())
            best = p;
    return best;
}

std::vector<std::string>
volumesProposes(std::string_view mountinfo,
                const std::function<bool(const std::string&)>& aUneTaille) {
    // Nobody picks photos from the kernel's own trees; their many small mounts would
    // bury the real volumes.
    static const std::string kSysteme[] = {"/dev", "/proc", "/sys", "/var/run", "/var/lock"};
    std::vector<std::string> out;
    for (const std::string& point : pointsDeMontage(mountinfo)) {
        bool systeme = false;
        for (const auto& s : kSysteme)
            systeme = systeme || sousDossier(point, s);
        if (systeme || std::find(out.begin(), out.end(), point) != out.end())
            continue;
        if (aUneTaille(point))
            out.push_back(point);
    }
    return out;
}

std::vector<std::string> volumesProposes() {
    return volumesProposes(lireMountinfo(), aUneTailleLisible);
}

std::string racineMedia(const std::string& chemin) {
    if (chemin.rfind("/media/", 0) == 0)
        return premiersSegments(chemin, 7, 2);
    if (chemin.rfind("/run/media/", 0) == 0)
        return premiersSegments(chemin, 11, 2);
    if (chemin.rfind("/mnt/", 0) == 0)
        return premiersSegments(chemin, 5, 1);
    return {};
}

bool DiskInDrive(const std::string& dossier) {
    const auto points = pointsDeMontage(lireMountinfo());
    const std::string media = racineMedia(dossier);
    std::string volume = volumeDe(dossier, points);
    if (!media.empty() && volume != media && volume.size() < media.size())
        return false; // the card's folder exists only as an empty mount point, or not at all
    if (volume.empty())
        volume = "/";
    return aUneTailleLisible(volume);
}

} // namespace varlime
