// The file and folder dialogs as a page meets them: the command blocks in a
// modal dialog until a timer, standing in for the user, picks or cancels.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/main_window.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;

namespace {

// Types `path` into the file name field and presses the accept button, as a
// user would; the field has the focus, so selectFile would not fill it.
void pick(QFileDialog* dialog, const QString& path) {
  auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(field, nullptr);
  field->setText(path);
  static_cast<QDialog*>(dialog)->accept();  // public as a QDialog slot
}

QStringList okAnswer(const QString& value) { return {QStringLiteral("OK"), value}; }

class DesktopDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString page = QStringLiteral("<html><head><meta charset='utf-8'>") +
                         support::callScriptElement() +
                         QStringLiteral("</head><body></body></html>");
    folder_ = std::make_unique<support::PageFolder>(page.toStdString());
    support::makeDirectory(*folder_ / "zażółć/inner");
    support::writeFile(*folder_ / "zażółć/gęś.txt", "");
    window_ = std::make_unique<MainWindow>(QStringList{QStringLiteral("pageshell")});
    window_->show();
    ASSERT_TRUE(support::waitForLoad(window_->webView()));
  }

  void TearDown() override {
    window_.reset();
    folder_.reset();
  }

  QString folder() const { return QString::fromStdString(folder_->path()); }

  // Runs `script` in the page while `user` acts on the modal file dialog and
  // returns the script's value. A dialog that the user's action left open is
  // closed, so that a failing test fails instead of hanging.
  QStringList withDialog(const QString& script, const std::function<void(QFileDialog*)>& user) {
    bool seen = false;
    bool leftOpen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      if (seen) {
        leftOpen = true;
        modal->close();
        return;
      }
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      if (dialog == nullptr) return;
      seen = true;
      user(dialog);
    });
    poll.start();
    const QStringList answer = support::evaluate(window_->webView(), script).toStringList();
    EXPECT_TRUE(seen) << "no file dialog came up";
    EXPECT_FALSE(leftOpen) << "the dialog stayed open";
    return answer;
  }

  std::unique_ptr<support::PageFolder> folder_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(DesktopDialogs, FileDialogIsSetUpFromTheArguments) {
  QString title, directory;
  QStringList filters;
  QWidget* parent = nullptr;
  bool modal = false;
  withDialog(QStringLiteral("JSON.parse(call('showFileDialog', 'Wybierz plik — ąę',"
                            " 'Teksty (*.txt);;Wszystko (*)'))"),
             [&](QFileDialog* dialog) {
               title = dialog->windowTitle();
               directory = dialog->directory().absolutePath();
               filters = dialog->nameFilters();
               parent = dialog->parentWidget();
               modal = dialog->isModal();
               dialog->reject();
             });
  EXPECT_EQ(title, QStringLiteral("Wybierz plik — ąę"));
  EXPECT_EQ(directory, QDir(folder()).absolutePath());
  EXPECT_EQ(filters, (QStringList{"Teksty (*.txt)", "Wszystko (*)"}));
  EXPECT_EQ(parent, static_cast<QWidget*>(window_.get()));
  EXPECT_TRUE(modal);
}

TEST_F(DesktopDialogs, FileDialogAnswersThePickedFile) {
  const QString chosen = folder() + QStringLiteral("/zażółć/gęś.txt");
  const QStringList answer =
      withDialog(QStringLiteral("JSON.parse(call('showFileDialog', 'Pick', ''))"),
                 [&](QFileDialog* dialog) { pick(dialog, chosen); });
  EXPECT_EQ(answer, okAnswer(chosen));
}

TEST_F(DesktopDialogs, CancelledFileDialogAnswersEmpty) {
  const QStringList answer = withDialog(QStringLiteral("JSON.parse(call('showFileDialog'))"),
                                        [](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(answer, okAnswer(QString()));
}

TEST_F(DesktopDialogs, DirectoryDialogShowsFoldersOnly) {
  QString title, directory;
  QFileDialog::Options options;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  withDialog(QStringLiteral("JSON.parse(call('showDirectoryDialog', 'Folder — ź'))"),
             [&](QFileDialog* dialog) {
               title = dialog->windowTitle();
               directory = dialog->directory().absolutePath();
               options = dialog->options();
               mode = dialog->fileMode();
               dialog->reject();
             });
  EXPECT_EQ(title, QStringLiteral("Folder — ź"));
  EXPECT_EQ(directory, QDir(folder()).absolutePath());
  EXPECT_TRUE(mode != QFileDialog::AnyFile && mode != QFileDialog::ExistingFile &&
              mode != QFileDialog::ExistingFiles);
  EXPECT_TRUE(options.testFlag(QFileDialog::ShowDirsOnly));
  EXPECT_TRUE(options.testFlag(QFileDialog::DontResolveSymlinks));
}

TEST_F(DesktopDialogs, DirectoryDialogAnswersThePickedFolder) {
  const QString chosen = folder() + QStringLiteral("/zażółć/inner");
  const QStringList answer =
      withDialog(QStringLiteral("JSON.parse(call('showDirectoryDialog', 'Pick'))"),
                 [&](QFileDialog* dialog) { pick(dialog, chosen); });
  EXPECT_EQ(answer, okAnswer(chosen));
}

TEST_F(DesktopDialogs, CancelledDirectoryDialogAnswersEmpty) {
  const QStringList answer =
      withDialog(QStringLiteral("JSON.parse(call('showDirectoryDialog', 'Pick'))"),
                 [](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(answer, okAnswer(QString()));
}

TEST_F(DesktopDialogs, DialogsStartInTheFolderThePageGives) {
  const QString inner = folder() + QStringLiteral("/zażółć");
  QString fileStart, folderStart, saveStart, suggestedName;
  withDialog(QStringLiteral("JSON.parse(call('showFileDialog', 'Pick', '', 'zażółć'))"),
             [&](QFileDialog* dialog) {
               fileStart = dialog->directory().absolutePath();
               dialog->reject();
             });
  withDialog(QStringLiteral("JSON.parse(call('showDirectoryDialog', 'Pick', '%1'))").arg(inner),
             [&](QFileDialog* dialog) {
               folderStart = dialog->directory().absolutePath();
               dialog->reject();
             });
  withDialog(QStringLiteral("JSON.parse(call('showSaveDialog', 'Save', '', 'zażółć/new.txt'))"),
             [&](QFileDialog* dialog) {
               saveStart = dialog->directory().absolutePath();
               suggestedName =
                   dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
               dialog->reject();
             });
  EXPECT_EQ(fileStart, inner);
  EXPECT_EQ(folderStart, inner);
  EXPECT_EQ(saveStart, inner);
  EXPECT_EQ(suggestedName, QStringLiteral("new.txt"));
}

// The user picks an existing file, is asked whether to replace it and says
// yes: the dialog answers the file.
TEST_F(DesktopDialogs, SaveDialogAsksBeforeTakingAnExistingFile) {
  const QString existing = folder() + QStringLiteral("/zażółć/gęś.txt");
  bool picked = false;
  QString question;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      question = box->text();
      box->button(QMessageBox::Yes)->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && !picked) {
      picked = true;
      // Later, on a timer of its own: the question's loop then runs outside
      // this one, which Qt would not call again meanwhile.
      QTimer::singleShot(0, dialog, [&, dialog] { pick(dialog, existing); });
    }
  });
  poll.start();
  const QStringList answer =
      support::evaluate(window_->webView(), QStringLiteral("JSON.parse(call('showSaveDialog'))"))
          .toStringList();
  EXPECT_TRUE(picked);
  EXPECT_TRUE(question.contains(QStringLiteral("gęś.txt"))) << question.toStdString();
  EXPECT_EQ(answer, okAnswer(existing));
}

TEST_F(DesktopDialogs, CancelledSaveDialogAnswersEmpty) {
  const QStringList answer = withDialog(QStringLiteral("JSON.parse(call('showSaveDialog', 'S'))"),
                                        [](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(answer, okAnswer(QString()));
}

}  // namespace
