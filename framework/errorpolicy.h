// The program-wide error policy. An error that no handler expects never ends the program
// and is never shown as a raw dialog: the application object catches it where an event is
// delivered and hands it to the unexpected-error handler, which the main window sets to its
// MyException (the error log). Before that, at the very start, the handler shows the error
// in a message box.
#pragma once

#include <QApplication>

#include <functional>

namespace rk::fw {

using ErrorHandler = std::function<void(const QString& where, const QString& what)>;

void setUnexpectedErrorHandler(ErrorHandler handler);
void reportUnexpectedError(const QString& where, const QString& what);

class RkApplication : public QApplication {
public:
    RkApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace rk::fw
