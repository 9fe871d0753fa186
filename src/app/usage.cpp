// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/usage.h"

namespace varlime {

std::string texteAide() {
    return R"(Usage: varlime [FOLDER]
       varlime COMMAND ARGUMENTS [OPTIONS]
Batch renamer for photographers. Without a command it opens its window, listing
FOLDER when one is given.

Commands (no window, no display needed):
  --preview FOLDER [options]     one line per row: old name, a tab, new name
  --rename FOLDER [options]      renames as after a Yes and prints the summary
  --dump FILE...                 the lines of the EXIF dump window for each file
  --test FOLDER [options]        the report of the test before renaming
  --undo FOLDER                  undoes the last rename run in that folder
  --history FOLDER               the kept runs of that folder, newest first
  --render FILE OUT.png [--width N]
                                 writes FILE as the viewer shows it, as PNG,
                                 N pixels wide (N from 1 to 16384)
  --transfer SOURCE TARGET [--move]
                                 copies (or moves) SOURCE's photos into TARGET
  --import SOURCE ARCHIVE [import options] [naming options]
                                 files SOURCE's photos into dated folders of
                                 ARCHIVE (and of each backup), renamed, verified
                                 by reading back, remembered and hash-listed
  -h, --help                     this text
  --version                      the version

Naming options (--preview, --rename, --test, --import):
  --mask TEXT                    search mask (*.* by default)
  --prefix TEXT                  replacement prefix, or a mask ([{IMG}{PIC}])
  --width N                      counter width, 1 to 9
  --start N                      counter start value, at most 8 characters
  --counter-left                 counter left of the prefix
  --alphabetic                   alphabetic counter (A, B, ...)
  --extension EXT                replacement extension
  --lowercase-extension          extension in lower case (JPG becomes jpg)
  --files all|no-folders|attributes=N
                                 which entries are listed
  --date-prefix fixed:YYYY-MM-DD|fixed|file
                                 a fixed date, or each file's own date
  --date-format N                date format, 0 to 7
  --date-separator TEXT          text between the date and the name
  --no-date-separator            nothing between the date and the name
  --counter-inactive             masks' "inactive counter" box checked (default)
  --counter-active               masks' "inactive counter" box unchecked

EXIF naming options:
  --exif ITEMS                   names from EXIF data; ITEMS: a comma list of
                                 free, make, model, date, time, aperture,
                                 exposure, focal, focal35, owner ('' for none)
  --free-text TEXT               the text of the free item
  --item-separator C             between items (_ by default)
  --no-item-separator            nothing between items
  --final-separator C            before the counter (_ by default)
  --no-final-separator           nothing before the counter
  --no-counter                   no counter after the EXIF items
  --keep-counter                 keeps the counter ending the old name
  --aperture-format 0|1          F2,8 or F2.8 (also the focal lengths' mark)
  --exposure-format 0|1          1_250_eme or 1_250_ème
  --time-format N                time format, 0 to 2

Companion files:
  --canon-raw                    Canon RAW files (CRW, CR2) named from their
                                 companion's EXIF data (THM, JPG)
  --associate TARGET:SOURCE      TARGET files named from the EXIF data of the
                                 SOURCE file of the same base name, e.g. AVI:THM

Import options:
  --backup DIR                   one more destination with the same tree
                                 (repeatable)
  --folders TEMPLATE             folders under each destination, %Y/%Y-%m-%d by
                                 default: %Y %m %d %H %M %S %j %b, {make},
                                 {model}, {job}, {ext}
  --job TEXT                     the template's {job}
  --time-offset MODEL=+HH:MM[:SS]
                                 shifts that camera's capture dates (repeatable,
                                 kept in the settings)
  --undated-folder NAME          where files without a date go (sans date)
  --preview                      prints the plan and its marks; changes nothing
  --move                         deletes from the card what every destination
                                 verified

Transfer option:
  --move                         with --transfer: deletes the sources once every
                                 copy is safely on disk

Environment:
  VARLIME_TODAY=YYYY-MM-DD       fixes today's date (the fixed date's start)
  VARLIME_GFL=off|PATH           imaging library never loaded, or that file only

Exit status:
  0  done
  1  a folder or file is missing or unreadable, a stored value is no number,
     a transfer was refused, or an import stopped (damaged history, full disk)
  2  the command line is wrong (unknown command or option, missing or bad value)
  3  some renames, undos, copies or imports failed, or the transfer or import
     was interrupted

Manual: man varlime. Help pages: F1 in the window.
)";
}

std::string texteVersion() {
    return std::string("varlime ") + VARLIME_VERSION + "\n";
}

std::string texteOptionInconnue(std::string_view argument) {
    return "varlime: unknown option " + std::string(argument) +
           "\nTry 'varlime --help' for the commands and options.\n";
}

} // namespace varlime
