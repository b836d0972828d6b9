// The modal open-file and choose-folder dialogs.
//
// Qt's static dialog functions pick the desktop's own dialog where the
// platform offers one and Qt's widget dialog elsewhere; either way the call
// returns only when the user has chosen or cancelled.
#include <QDir>
#include <QFileDialog>
#include <QString>

#include "bridge/desktop/desktop.h"
#include "bridge/utf8_text.h"

namespace bridge::desktop {
namespace {

QString argText(CommandContext& context, Json::ArrayIndex position) {
  return fromUtf8(context.arg(position));
}

Answer chosen(const QString& path) { return {"OK", toUtf8(path)}; }

}  // namespace

Answer showFileDialog(CommandContext& context) {
  return chosen(QFileDialog::getOpenFileName(context.window, argText(context, position::kCaption),
                                             QDir::currentPath(),
                                             argText(context, position::kFilter)));
}

Answer showDirectoryDialog(CommandContext& context) {
  return chosen(QFileDialog::getExistingDirectory(
      context.window, argText(context, position::kCaption), QDir::currentPath(),
      QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks));
}

}  // namespace bridge::desktop
