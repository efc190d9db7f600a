#include "errorpolicy.h"

#include "prompt.h"

#include <exception>

namespace rk::fw {

namespace {
ErrorHandler& handler() {
    static ErrorHandler h = [](const QString& where, const QString& what) {
        prompt().message(nullptr, what, where, Icon::Error, Buttons::Ok);
    };
    return h;
}
} // namespace

void setUnexpectedErrorHandler(ErrorHandler h) {
    handler() = std::move(h);
}

void reportUnexpectedError(const QString& where, const QString& what) {
    handler()(where, what);
}

RkApplication::RkApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool RkApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportUnexpectedError(QStringLiteral("%1 (event %2)")
                                  .arg(receiver ? receiver->objectName() : QString())
                                  .arg(int(event->type())),
                              QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportUnexpectedError(receiver ? receiver->objectName() : QString(),
                              QStringLiteral("an unknown error"));
    }
    return false;
}

} // namespace rk::fw
