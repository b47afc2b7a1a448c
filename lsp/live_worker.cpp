// The thread of the language server's live runs; see live_worker.h.
#include "live_worker.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// Takes the waiting texts one at a time until the worker stops.
void work(LiveWorker& worker) {
    std::unique_lock<std::mutex> lock(worker.mutex);
    for (;;) {
        worker.queued.wait(lock, [&] { return worker.stopping || !worker.waiting.empty(); });
        if (worker.stopping) return;
        LiveJob job = std::move(worker.waiting.begin()->second);
        worker.waiting.erase(worker.waiting.begin());
        worker.running_uri = job.uri;
        worker.running_version = job.version;
        worker.cancel.store(false);
        lock.unlock();
        job.limits.cancelled = &worker.cancel;
        LiveRun run = live_run(job.text, job.limits);
        lock.lock();
        worker.running_uri.clear();
        if (run.stop_kind == "cancelled") continue;
        run.output = std::string();  // up to a megabyte the hints never show: not kept

        worker.finished.push_back(LiveResult{job.uri, job.version, std::move(run)});
        ssize_t written = write(worker.wake[1], "r", 1);
        (void)written;  // a full pipe already holds a nudge
    }
}

}  // namespace

bool start_live(LiveWorker& worker) {
    if (pipe(worker.wake) != 0) return false;
    for (int fd : worker.wake) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    worker.thread = std::thread(work, std::ref(worker));
    return true;
}

void submit_live(LiveWorker& worker, LiveJob job) {
    std::lock_guard<std::mutex> lock(worker.mutex);
    if (worker.running_uri == job.uri) worker.cancel.store(true);
    std::string uri = job.uri;
    worker.waiting[uri] = std::move(job);
    worker.queued.notify_one();
}

void forget_live(LiveWorker& worker, const std::string& uri) {
    std::lock_guard<std::mutex> lock(worker.mutex);
    if (worker.running_uri == uri) worker.cancel.store(true);
    worker.waiting.erase(uri);
}

bool live_pending(LiveWorker& worker, const std::string& uri, int64_t version) {
    std::lock_guard<std::mutex> lock(worker.mutex);
    auto found = worker.waiting.find(uri);
    if (found != worker.waiting.end() && found->second.version == version) return true;
    if (worker.running_uri == uri && worker.running_version == version) return true;
    // Finished since the caller last took the runs: the wake that says so is on its way.
    for (const LiveResult& result : worker.finished) {
        if (result.uri == uri && result.version == version) return true;
    }
    return false;
}

std::vector<LiveResult> take_live(LiveWorker& worker) {
    std::lock_guard<std::mutex> lock(worker.mutex);
    std::vector<LiveResult> taken;
    taken.swap(worker.finished);
    return taken;
}

void stop_live(LiveWorker& worker) {
    if (!worker.thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(worker.mutex);
        worker.stopping = true;
        worker.cancel.store(true);
    }
    worker.queued.notify_one();
    worker.thread.join();
    for (int fd : worker.wake) close(fd);
}
