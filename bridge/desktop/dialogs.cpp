// The modal open-file and choose-folder dialogs.
//
// Qt's static dialog functions pick the desktop's own dialog where the
// platform offers one and Qt's widget dialog elsewhere; either way the call
// returns only when the user has chosen or cancelled.
#include <QDir>
#include <QFileDialog>
#include <QString>

#include "bridge/commands.h"
#include "bridge/desktop/desktop.h"
#include "bridge/utf8_text.h"

namespace bridge::desktop {
namespace {

constexpr Argument kFileCaption = describedArgument("showFileDialog", "caption");
constexpr Argument kFilter = describedArgument("showFileDialog", "filter");
constexpr Argument kDirectoryCaption = describedArgument("showDirectoryDialog", "caption");

QString argText(CommandContext& context, Argument argument) {
  return fromUtf8(context.arg(argument));
}

Answer chosen(const QString& path) { return okAnswer(toUtf8(path)); }

}  // namespace

Answer showFileDialog(CommandContext& context) {
  return chosen(QFileDialog::getOpenFileName(context.window, argText(context, kFileCaption),
                                             QDir::currentPath(), argText(context, kFilter)));
}

Answer showDirectoryDialog(CommandContext& context) {
  return chosen(QFileDialog::getExistingDirectory(
      context.window, argText(context, kDirectoryCaption), QDir::currentPath(),
      QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks));
}

}  // namespace bridge::desktop
