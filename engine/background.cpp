// background.cpp - work that would stall the screen (reading a large file, building an
// index) done on a thread of its own. What uses the result runs back on the main
// thread, in the first turn of the loop after the work ended, so that nothing the GUI
// or the editor holds is ever touched from another thread.
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/engine.h"

namespace {

struct Job {
    std::function<void()> work, done;
    std::thread thread;
    bool finished = false;  // guarded by g_mutex
};

std::mutex g_mutex;
std::vector<std::unique_ptr<Job>> g_jobs;  // started, their `done` not yet run; main thread only

// Joins the finished jobs and runs their `done`, in the order they were started. With
// `all`, first waits for every job still working.
bool Collect(bool all, bool runDone = true) {
    std::vector<std::unique_ptr<Job>> ready;
    for (auto it = g_jobs.begin(); it != g_jobs.end();) {
        bool finished;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            finished = (*it)->finished;
        }
        if (finished || all) {
            (*it)->thread.join();
            ready.push_back(std::move(*it));
            it = g_jobs.erase(it);
        } else {
            ++it;
        }
    }
    // A `done` may start more work: g_jobs is consistent before any of them runs.
    for (const std::unique_ptr<Job>& job : ready)
        if (job->done && runDone) job->done();
    return !ready.empty();
}

}  // namespace

void RunInBackground(std::function<void()> work, std::function<void()> done) {
    auto job = std::make_unique<Job>();
    job->work = std::move(work);
    job->done = std::move(done);
    Job* raw = job.get();
    raw->thread = std::thread([raw] {
        if (raw->work) raw->work();
        std::lock_guard<std::mutex> lock(g_mutex);
        raw->finished = true;
    });
    g_jobs.push_back(std::move(job));
}

bool BackgroundWorkPending() { return !g_jobs.empty(); }

bool RunFinishedBackgroundWork() {
    if (g_jobs.empty() || !Collect(false)) return false;
    RequestFrame();  // what the results change is shown
    return true;
}

void FinishBackgroundWork() {
    bool ran = false;
    while (!g_jobs.empty()) ran = Collect(true) || ran;
    if (ran) RequestFrame();
}

void DropBackgroundWork() {
    while (!g_jobs.empty()) Collect(true, false);
}
