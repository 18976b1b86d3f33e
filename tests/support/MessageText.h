#pragma once

#include <initializer_list>
#include <string>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom::test {

// A catalogue message as the recording prompt keeps it and a terminal shows it (UTF-8), so
// that no test types a catalogue text again.
inline std::string text(MessageId id, std::initializer_list<MessageArg> args = {}) {
    return cp1252ToUtf8(formatMessage(id, args));
}

}  // namespace loom::test
