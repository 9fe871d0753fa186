// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/tablesIso.h"

#include "core/curseurOctets.h"

namespace varlime {

bool itemExtents(std::string_view iloc, std::uint32_t wanted, std::vector<Extent>& out,
                 bool& inIdat) {
    CurseurOctets c{iloc};
    const auto version = c.take(1);
    c.take(3);
    const auto sizes = c.take(1);
    const unsigned offsetSize = static_cast<unsigned>(sizes >> 4), lengthSize = sizes & 15;
    const auto sizes2 = c.take(1);
    const unsigned baseSize = static_cast<unsigned>(sizes2 >> 4);
    const unsigned indexSize = version == 1 || version == 2 ? sizes2 & 15 : 0;
    for (unsigned s : {offsetSize, lengthSize, baseSize, indexSize})
        if (s != 0 && s != 4 && s != 8)
            return false;
    const auto count = c.take(version < 2 ? 2 : 4);
    // Extents whose sizes are all 0 take no room in the table: counted, so that a small
    // table cannot make billions of them.
    std::uint64_t seen = 0;
    for (std::uint64_t i = 0; i < count && c.ok; ++i) {
        const auto id = c.take(version < 2 ? 2 : 4);
        std::uint64_t method = 0;
        if (version == 1 || version == 2)
            method = c.take(2) & 15;
        c.take(2); // data reference index
        const auto base = c.take(baseSize);
        const auto extents = c.take(2);
        if ((seen += extents) > 65536)
            return false;
        for (std::uint64_t e = 0; e < extents && c.ok; ++e) {
            c.take(indexSize);
            const auto offset = c.take(offsetSize);
            const auto length = c.take(lengthSize);
            if (id == wanted && c.ok) {
                if (out.size() >= 64 || offset > UINT64_MAX - base)
                    return false;
                out.push_back({base + offset, length});
                inIdat = method == 1;
            }
        }
        if (id == wanted)
            return c.ok && method <= 1;
    }
    return false;
}

} // namespace varlime
