#include "FrameRing.h"

#include <algorithm>
#include <cstring>

namespace kestrova {

namespace {
std::size_t NextPowerOfTwo(std::size_t n) {
    std::size_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}
} // namespace

CFrameRing::CFrameRing(std::size_t capacityFrames)
    : m_capacity(NextPowerOfTwo(capacityFrames)), m_mask(m_capacity - 1),
      m_data(m_capacity * 2, 0.0f) {}

std::size_t CFrameRing::Write(const float* frames, std::size_t count) {
    const std::int64_t w = m_write.load(std::memory_order_relaxed);
    const std::int64_t r = m_read.load(std::memory_order_acquire);
    count = std::min(count, m_capacity - std::size_t(w - r));
    for (std::size_t done = 0; done < count;) {
        const std::size_t at = std::size_t(w + std::int64_t(done)) & m_mask;
        const std::size_t n = std::min(count - done, m_capacity - at);
        std::memcpy(&m_data[at * 2], frames + done * 2, n * 2 * sizeof(float));
        done += n;
    }
    m_write.store(w + std::int64_t(count), std::memory_order_release);
    return count;
}

std::size_t CFrameRing::Read(float* out, std::size_t count) {
    const std::int64_t r = m_read.load(std::memory_order_relaxed);
    const std::int64_t w = m_write.load(std::memory_order_acquire);
    count = std::min(count, std::size_t(w - r));
    const float gl = m_gainLeft.load(std::memory_order_relaxed);
    const float gr = m_gainRight.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(r + std::int64_t(i)) & m_mask;
        out[2 * i] = m_data[2 * at] * gl;
        out[2 * i + 1] = m_data[2 * at + 1] * gr;
    }
    m_read.store(r + std::int64_t(count), std::memory_order_release);
    return count;
}

void CFrameRing::Reset() {
    m_read.store(m_write.load(std::memory_order_acquire), std::memory_order_release);
}

} // namespace kestrova
