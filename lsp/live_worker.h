// The language server's live runs, on a thread of their own: the interpreter has global state,
// so one run at a time in the process, and the thread that reads messages never waits for one.
// A new text for a document cancels its run in progress; a finished run waits for the message
// loop to take it, which a byte on `wake` tells it to do.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "live.h"

struct LiveJob {
    std::string uri;
    int64_t version = 0;
    std::string text;
    LiveLimits limits;  // its cancel flag is the worker's
};

struct LiveResult {
    std::string uri;
    int64_t version = 0;
    LiveRun run;
};

struct LiveWorker {
    std::thread thread;
    std::mutex mutex;  // guards what follows
    std::condition_variable queued;
    std::map<std::string, LiveJob> waiting;  // the newest text of each document not yet run
    std::string running_uri;                 // the document being run, or empty
    int64_t running_version = 0;
    std::vector<LiveResult> finished;  // runs done, for the message loop to take
    bool stopping = false;
    std::atomic<bool> cancel{false};
    int wake[2] = {-1, -1};  // a pipe: the run's thread writes, the message loop reads
};

// Starts the thread; false when it could not be (the server then answers without live runs).
bool start_live(LiveWorker& worker);
// Runs a document's text, cancelling the run of an older text of the same document.
void submit_live(LiveWorker& worker, LiveJob job);
// Forgets a closed document: its waiting text, and its run in progress is cancelled.
void forget_live(LiveWorker& worker, const std::string& uri);
// Whether a run of this document and version is waiting, in progress, or finished and not yet
// taken.
bool live_pending(LiveWorker& worker, const std::string& uri, int64_t version);
// The runs finished since the last call.
std::vector<LiveResult> take_live(LiveWorker& worker);
// Cancels what runs and ends the thread.
void stop_live(LiveWorker& worker);
