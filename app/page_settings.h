// The settings every page gets, whichever engine shows it: plug-ins, local
// storage, and local documents that may read other local files and remote
// addresses. Both engines' settings classes name these attributes alike.
#pragma once

namespace app {

template <class Settings>
void applyPageSettings(Settings* settings) {
  settings->setAttribute(Settings::PluginsEnabled, true);
  settings->setAttribute(Settings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(Settings::LocalContentCanAccessRemoteUrls, true);
  settings->setAttribute(Settings::LocalStorageEnabled, true);
}

}  // namespace app
