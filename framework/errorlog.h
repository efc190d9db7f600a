// The log of errors that no handler expects: one line per error with the time, where it
// happened and what it was, in the user's data folder, so that a fault can be found
// afterwards without the user ever seeing a raw error dialog.
#pragma once

#include <QString>

namespace rk::fw {

class ErrorLog {
public:
    // reelkeeper.log in the user's application data folder unless set (tests).
    static QString path();
    static void setPath(const QString& path);
    // Appends a line; a log that cannot be written is given up on quietly. Past 1 MB the
    // log starts again, keeping the previous one as reelkeeper.log.old.
    static void write(const QString& where, const QString& what);
};

} // namespace rk::fw
