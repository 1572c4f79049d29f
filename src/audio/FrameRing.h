// Single-producer/single-consumer ring of stereo float frames between the engine's thread
// (writer) and the output callback (reader). Lock-free and allocation-free on both sides;
// the read side applies the channel's volume and pan, which the GUI thread sets through
// atomics so that a change is heard at once. Counters are monotonic frame counts.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace kestrova {

class CFrameRing {
public:
    explicit CFrameRing(std::size_t capacityFrames);

    std::size_t Capacity() const { return m_capacity; }
    std::int64_t WriteCount() const { return m_write.load(std::memory_order_acquire); }
    std::int64_t ReadCount() const { return m_read.load(std::memory_order_acquire); }
    std::size_t Size() const { return std::size_t(WriteCount() - ReadCount()); }
    std::size_t Free() const { return m_capacity - Size(); }

    // Producer side. Returns the frames written (less than asked when full).
    std::size_t Write(const float* frames, std::size_t count);
    // Consumer side: copies up to `count` frames with the channel gains applied.
    std::size_t Read(float* out, std::size_t count);
    // Empties the ring; only while neither side runs.
    void Reset();
    // Producer side: forgets what was written from `writeCount` on (to be written again
    // with other settings). The caller keeps at least one pull of the reader beyond the read
    // count, so that no frame it drops can be in the middle of being read.
    void Rewind(std::int64_t writeCount) {
        m_write.store(writeCount, std::memory_order_release);
    }

    void SetGains(float left, float right) {
        m_gainLeft.store(left, std::memory_order_relaxed);
        m_gainRight.store(right, std::memory_order_relaxed);
    }

private:
    std::size_t m_capacity;
    std::size_t m_mask;
    std::vector<float> m_data;
    std::atomic<std::int64_t> m_write{0};
    std::atomic<std::int64_t> m_read{0};
    std::atomic<float> m_gainLeft{1.0f};
    std::atomic<float> m_gainRight{1.0f};
};

} // namespace kestrova
