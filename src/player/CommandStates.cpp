#include "CommandStates.h"

#include <algorithm>

namespace kestrova {

bool CCommandStates::Holds(CommandId id) const {
    return std::find(m_ids.begin(), m_ids.end(), id) != m_ids.end();
}

void CCommandStates::Update(const std::function<bool(CommandId)>& enabled,
                            const std::function<void(CommandId, bool)>& told) {
    std::uint64_t now = 0;
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        if (enabled(m_ids[i])) now |= std::uint64_t(1) << i;
    const std::uint64_t changed = now ^ m_enabled;
    m_enabled = now;
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        if (changed & (std::uint64_t(1) << i)) told(m_ids[i], (now >> i) & 1u);
}

} // namespace kestrova
