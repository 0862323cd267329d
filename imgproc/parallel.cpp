#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <omp.h>

namespace imgproc {

namespace {

class WorkerPool {
public:
    explicit WorkerPool(int threads) {
        for (int i = 1; i < threads; ++i) workers.emplace_back([this] { workerLoop(); });
    }

    ~WorkerPool() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        for (auto& worker : workers) worker.join();
    }

    int threadCount() const { return static_cast<int>(workers.size()) + 1; }

    // Returns false when the pool is already running a loop (a nested or a
    // concurrent call); the caller then runs the body itself.
    bool run(int64_t count, const std::function<void(int64_t, int64_t)>& body) {
        std::unique_lock<std::mutex> busy(runMutex, std::try_to_lock);
        if (!busy.owns_lock()) return false;
        const int64_t chunks = std::min<int64_t>(count, static_cast<int64_t>(threadCount()) * 4);
        {
            std::lock_guard<std::mutex> lock(mutex);
            job = &body;
            jobCount = count;
            jobChunks = chunks;
            nextChunk.store(0);
            pending.store(static_cast<int>(workers.size()));
            generation.fetch_add(1);
        }
        wake.notify_all();
        work();
        for (int spin = 0; spin < kSpins && pending.load(std::memory_order_acquire) != 0; ++spin) pause();
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [this] { return pending.load() == 0; });
        job = nullptr;
        return true;
    }

private:
    void work() {
        for (int64_t chunk = nextChunk.fetch_add(1); chunk < jobChunks; chunk = nextChunk.fetch_add(1)) {
            const int64_t begin = jobCount * chunk / jobChunks;
            const int64_t end = jobCount * (chunk + 1) / jobChunks;
            (*job)(begin, end);
        }
    }

    // Loops come in quick succession (a transform's two passes, the sweeps
    // between transforms), so a thread that has just finished one watches
    // for the next for a few microseconds before it goes to sleep: waking a
    // sleeping thread costs more than the shorter loops themselves. No FFTW
    // thread competes for the cores while it watches.
    static void pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#else
        std::this_thread::yield();
#endif
    }

    void workerLoop() {
        uint64_t seen = 0;
        while (true) {
            for (int spin = 0; spin < kSpins && generation.load(std::memory_order_acquire) == seen; ++spin)
                pause();
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return stopping || generation.load() != seen; });
                if (stopping) return;
                seen = generation.load();
            }
            work();
            if (pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                std::lock_guard<std::mutex> lock(mutex);
                done.notify_one();
            }
        }
    }

    static constexpr int kSpins = 1500;

    std::vector<std::thread> workers;
    std::mutex runMutex;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    const std::function<void(int64_t, int64_t)>* job = nullptr;
    int64_t jobCount = 0;
    int64_t jobChunks = 0;
    std::atomic<int64_t> nextChunk{0};
    std::atomic<int> pending{0};
    std::atomic<uint64_t> generation{0};
    bool stopping = false;
};

WorkerPool& pool() {
    static WorkerPool instance(std::max(1, omp_get_max_threads()));
    return instance;
}

thread_local bool insideLoop = false;

}  // namespace

int parallelThreadCount() { return pool().threadCount(); }

void parallelFor(int64_t count, int64_t minimum, const std::function<void(int64_t, int64_t)>& body) {
    if (count <= 0) return;
    if (count < minimum || insideLoop || pool().threadCount() == 1) {
        body(0, count);
        return;
    }
    auto guarded = [&body](int64_t begin, int64_t end) {
        insideLoop = true;
        body(begin, end);
        insideLoop = false;
    };
    if (!pool().run(count, guarded)) body(0, count);
}

}  // namespace imgproc
