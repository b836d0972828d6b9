// The file and folder dialogs as a page meets them: the command blocks in a
// modal dialog until a timer, standing in for the user, picks or cancels.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QLineEdit>
#include <QWebView>

#include <functional>

#include "app/main_window.h"
#include "tests/qt/shell_fixture.h"

using app::MainWindow;
using qtest::evaluate;
using qtest::ScratchDirectory;

namespace {

const char kPage[] =
    "<html><head><meta charset='utf-8'></head><body><script>"
    "function call() {"
    "  var request = ['1.0.3.20150320', 'qt'].concat([].slice.call(arguments));"
    "  myObject.command = JSON.stringify(request);"
    "  return JSON.parse(myObject.result);"
    "}"
    "</script></body></html>";

// Types `path` into the file name field and presses the accept button, as a
// user would; the field has the focus, so selectFile would not fill it.
void pick(QFileDialog* dialog, const QString& path) {
  auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  QVERIFY(field != nullptr);
  field->setText(path);
  static_cast<QDialog*>(dialog)->accept();  // public as a QDialog slot
}

QStringList okAnswer(const QString& value) { return {QStringLiteral("OK"), value}; }

}  // namespace

class DesktopDialogsTest : public QObject {
  Q_OBJECT

 private:
  // Runs `script` in the page while `user` acts on the modal file dialog and
  // returns the script's value. A dialog that the user's action left open is
  // closed, so that a failing test fails instead of hanging.
  QStringList withDialog(QWebPage* page, const QString& script,
                     const std::function<void(QFileDialog*)>& user) {
    bool seen = false;
    bool leftOpen = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
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
    const QStringList answer = evaluate(page, script).toStringList();
    if (!seen) QTest::qFail("no file dialog came up", __FILE__, __LINE__);
    if (leftOpen) QTest::qFail("the dialog stayed open", __FILE__, __LINE__);
    return answer;
  }

  ScratchDirectory* dir_ = nullptr;
  MainWindow* window_ = nullptr;

 private slots:
  void init() {
    dir_ = new ScratchDirectory(QLatin1String(kPage));
    QDir(dir_->path()).mkpath(QStringLiteral("zażółć/inner"));
    QFile file(dir_->path() + QStringLiteral("/zażółć/gęś.txt"));
    file.open(QIODevice::WriteOnly);
    window_ = new MainWindow({QStringLiteral("pageshell")});
    window_->show();
    QVERIFY(qtest::waitForLoad(window_->webView()->page()));
  }

  void cleanup() {
    delete window_;
    delete dir_;
  }

  void fileDialogIsSetUpFromTheArguments() {
    QWebPage* page = window_->webView()->page();
    QString title, directory;
    QStringList filters;
    QWidget* parent = nullptr;
    withDialog(page, QStringLiteral("call('showFileDialog', 'Wybierz plik — ąę', 'Teksty (*.txt);;Wszystko (*)')"),
               [&](QFileDialog* dialog) {
                 title = dialog->windowTitle();
                 directory = dialog->directory().absolutePath();
                 filters = dialog->nameFilters();
                 parent = dialog->parentWidget();
                 QVERIFY(dialog->isModal());
                 dialog->reject();
               });
    QCOMPARE(title, QStringLiteral("Wybierz plik — ąę"));
    QCOMPARE(directory, QDir(dir_->path()).absolutePath());
    QCOMPARE(filters, (QStringList{"Teksty (*.txt)", "Wszystko (*)"}));
    QCOMPARE(parent, static_cast<QWidget*>(window_));
  }

  void fileDialogAnswersThePickedFile() {
    const QString chosen = dir_->path() + QStringLiteral("/zażółć/gęś.txt");
    const QStringList answer = withDialog(window_->webView()->page(),
                                      QStringLiteral("call('showFileDialog', 'Pick', '')"),
                                      [&](QFileDialog* dialog) {
                                        pick(dialog, chosen);
                                      });
    QCOMPARE(answer, okAnswer(chosen));
  }

  void cancelledFileDialogAnswersEmpty() {
    const QStringList answer = withDialog(window_->webView()->page(),
                                      QStringLiteral("call('showFileDialog')"),
                                      [](QFileDialog* dialog) { dialog->reject(); });
    QCOMPARE(answer, okAnswer(QString()));
  }

  void directoryDialogShowsFoldersOnly() {
    QString title, directory;
    QFileDialog::Options options;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    withDialog(window_->webView()->page(), QStringLiteral("call('showDirectoryDialog', 'Folder — ź')"),
               [&](QFileDialog* dialog) {
                 title = dialog->windowTitle();
                 directory = dialog->directory().absolutePath();
                 options = dialog->options();
                 mode = dialog->fileMode();
                 dialog->reject();
               });
    QCOMPARE(title, QStringLiteral("Folder — ź"));
    QCOMPARE(directory, QDir(dir_->path()).absolutePath());
    QVERIFY(mode != QFileDialog::AnyFile && mode != QFileDialog::ExistingFile &&
            mode != QFileDialog::ExistingFiles);
    QVERIFY(options.testFlag(QFileDialog::ShowDirsOnly));
    QVERIFY(options.testFlag(QFileDialog::DontResolveSymlinks));
  }

  void directoryDialogAnswersThePickedFolder() {
    const QString chosen = dir_->path() + QStringLiteral("/zażółć/inner");
    const QStringList answer = withDialog(window_->webView()->page(),
                                      QStringLiteral("call('showDirectoryDialog', 'Pick')"),
                                      [&](QFileDialog* dialog) {
                                        pick(dialog, chosen);
                                      });
    QCOMPARE(answer, okAnswer(chosen));
  }

  void cancelledDirectoryDialogAnswersEmpty() {
    const QStringList answer = withDialog(window_->webView()->page(),
                                      QStringLiteral("call('showDirectoryDialog', 'Pick')"),
                                      [](QFileDialog* dialog) { dialog->reject(); });
    QCOMPARE(answer, okAnswer(QString()));
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  DesktopDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "desktop_dialogs_test.moc"
