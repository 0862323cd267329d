#pragma once

#include <atomic>
#include <cstdint>

namespace imgproc {

// The progress integer is read by the GUI thread while the engine writes it,
// so every access goes through an atomic reference.
inline void storeProgress(int32_t* progress, int32_t value) {
    if (progress) std::atomic_ref<int32_t>(*progress).store(value, std::memory_order_relaxed);
}

inline int32_t loadProgress(const int32_t* progress) {
    if (!progress) return 0;
    return std::atomic_ref<int32_t>(*const_cast<int32_t*>(progress)).load(std::memory_order_relaxed);
}

}  // namespace imgproc
