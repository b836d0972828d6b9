// The modal open-file, save-file and choose-folder dialogs.
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

// Where a dialog starts: the page's path read against the working folder,
// the working folder itself when the page gives none.
QString startingAt(const std::string& path) {
  return path.empty() ? QDir::currentPath() : QDir::current().absoluteFilePath(fromUtf8(path));
}

}  // namespace

Answer showFileDialog(ShowFileDialogCall& call) {
  return chosen(QFileDialog::getOpenFileName(call.dialogParent(), fromUtf8(call.caption()),
                                             startingAt(call.folder()), fromUtf8(call.filter())));
}

Answer showDirectoryDialog(ShowDirectoryDialogCall& call) {
  return chosen(QFileDialog::getExistingDirectory(
      call.dialogParent(), fromUtf8(call.caption()), startingAt(call.folder()),
      QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks));
}

// Qt's save dialog asks before it lets the user pick a file that exists.
Answer showSaveDialog(ShowSaveDialogCall& call) {
  return chosen(QFileDialog::getSaveFileName(call.dialogParent(), fromUtf8(call.caption()),
                                             startingAt(call.suggested()),
                                             fromUtf8(call.filter())));
}

}  // namespace bridge::desktop
