#include "app/main_window_form.h"

#include <QAction>
#include <QGraphicsView>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QVBoxLayout>

namespace app {

void MainWindowForm::setupUi(QMainWindow* window, QWidget* view) {
  window->resize(800, 590);
  QIcon icon;
  icon.addFile(QStringLiteral("myIcon.ico"), QSize(), QIcon::Normal, QIcon::Off);
  window->setWindowIcon(icon);

  actionDUMP = new QAction(window);
  actionDUMP->setObjectName(QStringLiteral("actionDUMP"));
  actionRELOAD = new QAction(window);
  actionRELOAD->setObjectName(QStringLiteral("actionRELOAD"));
  actionPrint_Preview = new QAction(window);
  actionPrint_Preview->setObjectName(QStringLiteral("actionPrint_Preview"));

  centralWidget = new QWidget(window);
  centralWidget->setObjectName(QStringLiteral("centralWidget"));
  verticalLayout = new QVBoxLayout(centralWidget);
  verticalLayout->setSpacing(0);
  verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
  verticalLayout->setContentsMargins(0, 0, 0, 0);

  webView = view;
  webView->setParent(centralWidget);
  webView->setObjectName(QStringLiteral("webView"));
  webView->setAcceptDrops(false);
  verticalLayout->addWidget(webView);

  graphicsView = new QGraphicsView(centralWidget);
  graphicsView->setObjectName(QStringLiteral("graphicsView"));
  verticalLayout->addWidget(graphicsView);

  window->setCentralWidget(centralWidget);

  menuBar = new QMenuBar(window);
  menuBar->setObjectName(QStringLiteral("menuBar"));
  menuBar->setGeometry(QRect(0, 0, 800, 21));
  menuDEBUG = new QMenu(menuBar);
  menuDEBUG->setObjectName(QStringLiteral("menuDEBUG"));
  window->setMenuBar(menuBar);

  menuBar->addAction(menuDEBUG->menuAction());
  menuDEBUG->addAction(actionDUMP);
  menuDEBUG->addAction(actionRELOAD);
  menuDEBUG->addAction(actionPrint_Preview);

  window->setWindowTitle(QStringLiteral("MainWindow"));
  actionDUMP->setText(QStringLiteral("DUMP"));
  actionRELOAD->setText(QStringLiteral("RELOAD"));
  actionPrint_Preview->setText(QStringLiteral("Print Preview"));
  menuDEBUG->setTitle(QStringLiteral("DEBUG"));

  QMetaObject::connectSlotsByName(window);
}

}  // namespace app
