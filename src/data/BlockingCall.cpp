#include "data/BlockingCall.h"

#include "core/Driver.h"
#include "core/StopRequest.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace tabulex {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kTick = 10ms;
constexpr auto kCleanupCancel = 500ms;
constexpr auto kInterruptAfterCancel = 500ms;

// One call handed to the call thread.
struct Job {
    std::function<void()> run;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr error;

    bool waitFor(Clock::duration d)
    {
        std::unique_lock lock(mutex);
        return done.wait_for(lock, d, [this] { return finished; });
    }
};

thread_local bool t_onCallThread = false;
thread_local int t_cleanup = 0;

// The thread the calls run on, one after the other. One that was left with a call running
// on after a stop retires: it ends after that call, and the next call gets a new thread.
class CallThread {
public:
    static std::shared_ptr<CallThread> start()
    {
        auto t = std::make_shared<CallThread>();
        std::thread([t] { t->loop(); }).detach();
        return t;
    }

    void post(std::shared_ptr<Job> job)
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        m_changed.notify_one();
    }

    void retire()
    {
        const std::lock_guard lock(m_mutex);
        m_retired = true;
        m_changed.notify_one();
    }

private:
    void loop()
    {
        t_onCallThread = true;
        while (true) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_retired || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            try {
                job->run();
            } catch (...) {
                job->error = std::current_exception();
            }
            job->run = nullptr; // what the call owns goes here, with the call
            {
                const std::lock_guard lock(job->mutex);
                job->finished = true;
            }
            job->done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_jobs;
    bool m_retired = false;
};

std::mutex g_mutex;
std::function<void()> g_whileWaiting;
std::shared_ptr<CallThread> g_thread;

std::shared_ptr<CallThread> callThread()
{
    const std::lock_guard lock(g_mutex);
    if (!g_thread)
        g_thread = CallThread::start();
    return g_thread;
}

void retireCallThread()
{
    const std::lock_guard lock(g_mutex);
    if (g_thread)
        g_thread->retire();
    g_thread.reset();
}

std::function<void()> whileWaiting()
{
    const std::lock_guard lock(g_mutex);
    return g_whileWaiting;
}

// Waits for a posted job, ending it when a stop comes; true when the stop came meanwhile.
bool waitFor(Job& job, const BlockingCall& call, bool cleanup,
             const std::function<void()>& whileWaiting)
{
    std::optional<Clock::time_point> stopSeen;
    if (cleanup)
        stopSeen = Clock::now();
    const auto cancelAt = cleanup ? Clock::duration(kCleanupCancel) : Clock::duration::zero();
    bool cancelled = false;
    bool interrupted = false;
    while (!job.waitFor(kTick)) {
        whileWaiting();
        if (!stopSeen && stopRequested()) {
            if (call.detachable) {
                retireCallThread();
                throw CommandStopped();
            }
            stopSeen = Clock::now();
        }
        if (!stopSeen)
            continue;
        const auto waited = Clock::now() - *stopSeen;
        if (!cancelled && waited >= cancelAt) {
            cancelled = true;
            if (call.cancel)
                call.cancel();
        }
        if (!interrupted && waited >= cancelAt + kInterruptAfterCancel) {
            interrupted = true;
            if (call.interrupt)
                call.interrupt();
        }
    }
    return stopSeen && !cleanup;
}

} // namespace

void runBlocking(const BlockingCall& call)
{
    const bool cleanup = t_cleanup > 0;
    if (!cleanup)
        stopIfRequested();
    const std::function<void()> idle = whileWaiting();
    // A call made from inside another (a recordset reading its first row) runs where it is.
    if (!idle || t_onCallThread) {
        call.run();
        return;
    }
    auto job = std::make_shared<Job>();
    job->run = call.run;
    callThread()->post(job);
    if (waitFor(*job, call, cleanup, idle))
        throw CommandStopped(); // the call's own outcome no longer matters
    if (job->error)
        std::rethrow_exception(job->error);
}

void runDriverCall(DriverConnection& driver, const std::function<void()>& call)
{
    if (!driver.mayBlock())
        return call();
    runBlocking({call, [&driver] { driver.cancel(); }, [&driver] { driver.interrupt(); }});
}

void runCursorCall(DriverCursor& cursor, const std::function<void()>& call)
{
    if (!cursor.mayBlock())
        return call();
    runBlocking({call, [&cursor] { cursor.cancel(); }, [&cursor] { cursor.interrupt(); }});
}

void waitForCallsWith(std::function<void()> whileWaiting)
{
    const std::lock_guard lock(g_mutex);
    g_whileWaiting = std::move(whileWaiting);
}

CleanupAfterStop::CleanupAfterStop() { ++t_cleanup; }
CleanupAfterStop::~CleanupAfterStop() { --t_cleanup; }

} // namespace tabulex
