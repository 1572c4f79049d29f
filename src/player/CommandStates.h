// The enabled state of one part's commands, remembered so that only changes are told: the
// playback controller and the study session push their commands' states through it.
#pragma once

#include "player/Commands.h"

#include <cstdint>
#include <functional>
#include <span>

namespace kestrova {

class CCommandStates {
public:
    explicit CCommandStates(std::span<const CommandId> ids) : m_ids(ids) {}
    bool Holds(CommandId id) const;
    // Asks `enabled` for every command and calls `told` for each whose state changed since
    // the last update (the first update tells every command that is on).
    void Update(const std::function<bool(CommandId)>& enabled,
                const std::function<void(CommandId, bool)>& told);

private:
    std::span<const CommandId> m_ids;
    std::uint64_t m_enabled = 0;
};

} // namespace kestrova
