// SPDX-License-Identifier: GPL-3.0-or-later
#include "naming/modeleNommage.h"

namespace varlime {

void ModeleNommage::remplacer(const OptionsNommage& options) {
    if (options == options_)
        return;
    const OptionsNommage avant = std::exchange(options_, options);
    emit change(avant);
}

} // namespace varlime
