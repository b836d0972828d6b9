// The user's well-known folders, named by the folder numbers (CSIDL values)
// that pages use, found where this desktop keeps them.
//
// The numbers map to the freedesktop.org folders (xdg_dirs.h):
//
//   number  Windows folder               here
//   0, 16   desktop                      XDG_DESKTOP_DIR      (~/Desktop)
//   5       documents                    XDG_DOCUMENTS_DIR    (~/Documents)
//   7       start-up programs            $XDG_CONFIG_HOME/autostart
//   8       recent documents             $XDG_DATA_HOME, which holds the
//                                        desktop's recently-used list
//   13      music                        XDG_MUSIC_DIR        (~/Music)
//   14      videos                       XDG_VIDEOS_DIR       (~/Videos)
//   20      fonts                        $XDG_DATA_HOME/fonts
//   21      templates                    XDG_TEMPLATES_DIR    (~/Templates)
//   26      application data (roaming)   $XDG_CONFIG_HOME     (~/.config)
//   28      local application data       $XDG_DATA_HOME       (~/.local/share)
//   32      internet cache               $XDG_CACHE_HOME      (~/.cache)
//   35      common application data      first of $XDG_DATA_DIRS
//                                        (/usr/local/share)
//   38      program files                /opt
//   39      pictures                     XDG_PICTURES_DIR     (~/Pictures)
//   40      profile                      $HOME
//
// Safe from any thread as long as nobody changes the environment meanwhile.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// Flag bit of a folder number: create the folder (and its parents) when it
// is missing.
inline constexpr int kKnownFolderCreate = 0x8000;

// The path of folder `number`. The bits above 0xFF are flags: all but
// kKnownFolderCreate are ignored. Like the Windows call, a folder that does
// not exist still has its path. Fails with EINVAL when the number names no
// folder in the table, ENOENT when there is no home directory, and with the
// failure of the first level that could not be made when the folder had to
// be created (createDirectory).
Result<std::string> knownFolderPath(int number);

}  // namespace platform
