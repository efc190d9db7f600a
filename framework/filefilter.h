// File dialog filters as the windows write them: pairs of a description and its patterns,
// all separated by '|', patterns within a pair by ';'
//     "Audio files (*.wav)|*.wav|Midi files (*.mid)|*mid"
// and the form the prompt's file dialogs take (Qt's): "description (patterns)" joined by
// ";;". A pattern list in brackets at the end of a description is replaced by the pair's
// own patterns, which are the ones that filter.
#pragma once

#include <QString>

namespace rk::fw {

QString dialogFilter(const QString& pairs);

} // namespace rk::fw
