// The console's application object: a QApplication whose event delivery shows
// an exception that escapes a handler in the application's exception dialog
// and lets the event loop go on, as the class library's application does.
#pragma once
#include <QApplication>

class ConsoleApplication : public QApplication {
 public:
  ConsoleApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
