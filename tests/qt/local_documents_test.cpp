// Which documents are the shell's own: file: ones, and in a development run
// the documents of the one origin the developer named, no other.
#include <QUrl>

#include <gtest/gtest.h>

#include "app/local_document.h"

namespace {

TEST(LocalDocuments, AreFileDocumentsAndTheDevelopmentOriginOnly) {
  const app::LocalDocuments plain;
  EXPECT_TRUE(plain.contains(QUrl(QStringLiteral("file:///srv/app/index.html"))));
  EXPECT_FALSE(plain.contains(QUrl(QStringLiteral("http://127.0.0.1:5173/"))));

  const app::LocalDocuments development(QUrl(QStringLiteral("http://127.0.0.1:5173/src/")));
  EXPECT_TRUE(development.contains(QUrl(QStringLiteral("file:///srv/app/index.html"))));
  EXPECT_TRUE(development.contains(QUrl(QStringLiteral("http://127.0.0.1:5173/other.html"))));
  EXPECT_TRUE(development.contains(QUrl(QStringLiteral("http://127.0.0.1:5173"))));
  EXPECT_FALSE(development.contains(QUrl(QStringLiteral("http://127.0.0.1:5174/"))));
  EXPECT_FALSE(development.contains(QUrl(QStringLiteral("https://127.0.0.1:5173/"))));
  EXPECT_FALSE(development.contains(QUrl(QStringLiteral("http://localhost:5173/"))));
  EXPECT_FALSE(development.contains(QUrl(QStringLiteral("data:text/html,x"))));
  EXPECT_FALSE(development.contains(QUrl()));

  const app::LocalDocuments defaultPort(QUrl(QStringLiteral("http://localhost/")));
  EXPECT_TRUE(defaultPort.contains(QUrl(QStringLiteral("http://localhost:80/x"))));
}

}  // namespace
