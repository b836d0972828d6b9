#include "app/webengine/print_copy.h"

#include <QDir>
#include <QPrinter>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/webengine/wait_for.h"
#include "platform/file_writer.h"

namespace app::webengine {

PrintCopy::PrintCopy(std::string html) : html_(std::move(html)) {}

PrintCopy::~PrintCopy() {
  // The page goes before its profile, as the engine requires.
  view_.reset();
  delete profile_;
}

bool PrintCopy::load() {
  if (!folder_.isValid()) return false;
  const QString file = QDir(folder_.path()).filePath(QStringLiteral("page.html"));
  if (!platform::writeWholeFile(QFile::encodeName(file).toStdString(), html_).ok()) return false;
  // Off the record: the copy leaves nothing behind, and shares no renderer
  // with the waiting page.
  profile_ = new QWebEngineProfile();
  view_ = std::make_unique<QWebEngineView>();
  auto* page = new QWebEnginePage(profile_, view_.get());
  page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  view_->setPage(page);
  return waitFor<bool>([this, file](std::function<void(const bool&)> finished) {
    QObject::connect(
        view_->page(), &QWebEnginePage::loadFinished, view_.get(),
        [finished](bool ok) { finished(ok); }, Qt::SingleShotConnection);
    view_->load(QUrl::fromLocalFile(file));
  });
}

bool PrintCopy::print(QPrinter* printer) {
  if (!loaded_) loaded_ = load();
  if (!*loaded_) return false;
  return waitFor<bool>([this, printer](std::function<void(const bool&)> finished) {
    QObject::connect(
        view_.get(), &QWebEngineView::printFinished, view_.get(),
        [finished](bool ok) { finished(ok); }, Qt::SingleShotConnection);
    view_->print(printer);
  });
}

}  // namespace app::webengine
