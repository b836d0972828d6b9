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

Answer chosen(const QString& path) { return okAnswer(toUtf8(path)); }

}  // namespace

Answer showFileDialog(ShowFileDialogCall& call) {
  return chosen(QFileDialog::getOpenFileName(call.dialogParent(), fromUtf8(call.caption()),
                                             QDir::currentPath(), fromUtf8(call.filter())));
}

Answer showDirectoryDialog(ShowDirectoryDialogCall& call) {
  return chosen(QFileDialog::getExistingDirectory(
      call.dialogParent(), fromUtf8(call.caption()), QDir::currentPath(),
      QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks));
}

}  // namespace bridge::desktop
