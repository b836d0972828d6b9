// -dev-url URL: in a development run (-debug) the window shows a page served
// by the developer's own server on this machine, with hot reload, instead of
// index.html, and that one origin gets myObject and records as a local
// document does (local_document.h). Anything else is refused, with a log
// line that says why, and the window shows index.html as usual.
#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace app {

struct DevelopmentUrl {
  QUrl url;             // the page to show; empty when refused
  std::string logLine;  // what the run uses, or why it refuses
};

// Reads the option's value `text`; `debug` says whether -debug was given.
DevelopmentUrl readDevelopmentUrl(const QString& text, bool debug);

}  // namespace app
