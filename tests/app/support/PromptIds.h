#pragma once

#include <vector>

#include "support/RecordingPrompt.h"

namespace loom::test {

// The message ids of the boxes recorded, in order (an untagged box as MessageId{}).
inline std::vector<MessageId> idsOf(const RecordingPrompt& prompt) {
    std::vector<MessageId> ids;
    for (const auto& entry : prompt.entries)
        ids.push_back(entry.id.value_or(MessageId{}));
    return ids;
}

}  // namespace loom::test
