// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming options of one window, held in one place: the controls show them and send
// their edits here, a dialog edits a copy and hands it back on OK, and whoever depends
// on the options (the preview, the settings file) follows the change signal.
#include "core/renameEngine.h"

#include <QObject>
#include <utility>

namespace varlime {

class ModeleNommage : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const OptionsNommage& options() const { return options_; }
    // A copy to edit (a dialog's, dropped on Cancel).
    OptionsNommage copie() const { return options_; }
    // Takes the options as given; tells the change when they differ from the ones held.
    void remplacer(const OptionsNommage& options);
    // Edits the options in place through `f`, then tells the change if there is one.
    template <class F> void modifier(F&& f) {
        OptionsNommage o = options_;
        std::forward<F>(f)(o);
        remplacer(o);
    }

signals:
    // The options changed; `avant` holds them as they were.
    void change(const OptionsNommage& avant);

private:
    OptionsNommage options_;
};

} // namespace varlime
