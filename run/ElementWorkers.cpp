// The element loop of a phase, on the host's thread alone or with workers.
#include "run/ElementWorkers.h"

#include <algorithm>
#include <cfenv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/CheckedMath.h"
#include "platform/WorkerThreads.h"
#include "run/modDesign.h"

namespace ostrel {

namespace {

// Elements handed out but not yet copied back, at most, per worker. When
// that many are out, the host's thread copies until half are left, then
// plans a batch: it wakes once per batch rather than once per element, and
// the workers always have queued work.
constexpr std::size_t kElementsAheadPerWorker = 8;

// The host's thread plans an element with its floating-point flags set
// aside, so that planning leaves the thread's flags as they were.
class PlanningScope {
 public:
  PlanningScope() { ClearFloatFaults(); }
  PlanningScope(const PlanningScope&) = delete;
  PlanningScope& operator=(const PlanningScope&) = delete;

 private:
  FloatFlagsScope savedFlags_;  // constructed first: the flags before planning
};

// The host's thread and its workers for one phase.
class ElementPipeline {
 public:
  ElementPipeline(const ElementPhase& phase, int workers)
      : phase_(phase),
        hostModel_(Global()),
        phaseMessage_(Design().sErrorMessage),
        window_(kElementsAheadPerWorker * static_cast<std::size_t>(workers)),
        modelGeneration_(hostModel_.u_ModelGeneration) {
    try {
      for (int w = 0; w < workers; ++w) {
        threads_.emplace_back([this] { WorkerMain(); });
      }
    } catch (...) {
      Stop();
      throw;
    }
    // The workers copy the host's model and state: nothing may change them
    // until every worker has its copy.
    try {
      WaitUntilReady();
    } catch (...) {
      Stop();
      throw;
    }
  }

  ~ElementPipeline() { Stop(); }

  ElementPipeline(const ElementPipeline&) = delete;
  ElementPipeline& operator=(const ElementPipeline&) = delete;

  void Run() {
    try {
      for (int e = 1; e <= phase_.count; ++e) {
        if (inFlight_.size() >= window_) {
          while (inFlight_.size() > window_ / 2) {
            CopyOldest();
          }
        }
        CopyFinished();
        SetCounterLabel(CounterText(e, phase_.count));
        PumpRunWindow();
        if (Design().i_SuspendFlag == 1) {
          // Suspended: no new work, and what is done is in the model.
          CopyAll();
          RunSuspendWait();
        }
        if (hostModel_.u_ModelGeneration != modelGeneration_) {
          Resync();
        }
        if (!Dispatch(static_cast<int16_t>(e))) {
          break;
        }
      }
      CopyAll();
    } catch (const RunCancelled&) {
      // The run stops at this pump point: the elements before it are
      // stored, unless one of them stopped the run first.
      CopyAll();
      throw;
    }
  }

 private:
  struct Job {
    int16_t element = 0;
    uint32_t generation = 0;  // of the host's result arrays when it was handed out
    FetchTape tape;
    std::exception_ptr planError;
    std::exception_ptr designError;
    std::string message;     // the worker's error message after a stop
    ElementResults results;  // the host's values before, the worker's after the design
    bool done = false;
  };

  // The host changed the model from a pump: the elements handed out before
  // were designed on the model before the change, as on one thread; the
  // workers take a fresh copy for the elements after it.
  void Resync() {
    CopyAll();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready_ = 0;
      ++epoch_;
    }
    workCv_.notify_all();
    WaitUntilReady();
    modelGeneration_ = hostModel_.u_ModelGeneration;
  }

  // Waits until every worker has its copy of the host's model and state.
  void WaitUntilReady() {
    std::unique_lock<std::mutex> lock(mutex_);
    doneCv_.wait(lock, [&] { return ready_ == static_cast<int>(threads_.size()); });
    if (setupError_) {
      std::rethrow_exception(setupError_);
    }
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      pending_.clear();
    }
    workCv_.notify_all();
    for (std::thread& t : threads_) {
      if (t.joinable()) {
        t.join();
      }
    }
  }

  // Plans element e on the host's thread and hands it to a worker. False
  // when planning stopped: the element's design stops there too, and no
  // later element starts.
  bool Dispatch(int16_t e) {
    // The element starts from the host's values (a run-time error here, the
    // arrays released from a pump, stops the run as the first store would).
    ElementResults start;
    phase_.saveResults(hostModel_, e, start);
    Job& job = inFlight_.emplace_back();
    job.element = e;
    job.generation = hostModel_.u_ResultsGeneration;
    job.results = std::move(start);
    {
      PlanningScope planning;
      RecordingForces recording(job.tape);
      try {
        phase_.designElement(e, recording);
      } catch (...) {
        job.planError = std::current_exception();
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.push_back(&job);
    }
    workCv_.notify_one();
    return !job.planError;
  }

  void CopyFinished() {
    while (!inFlight_.empty() && IsDone(inFlight_.front())) {
      CopyOldest();
    }
  }

  void CopyAll() {
    while (!inFlight_.empty()) {
      CopyOldest();
    }
  }

  bool IsDone(const Job& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    return job.done;
  }

  // Waits for the oldest element, puts its results into the host's model,
  // and stops the run where its design stopped.
  void CopyOldest() {
    Job& job = inFlight_.front();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      awaited_ = &job;
      doneCv_.wait(lock, [&] { return job.done; });
      awaited_ = nullptr;
    }
    // A pump since the element was handed out may have replaced the result
    // arrays (the host restored a design or ran another one from its pump):
    // on one thread the element's results went into the replaced arrays.
    if (job.generation == hostModel_.u_ResultsGeneration) {
      phase_.loadResults(hostModel_, job.element, job.results);
    }
    if (job.designError || job.planError) {
      // The window shows the element the run stopped in.
      SetCounterLabel(CounterText(job.element, phase_.count));
      if (job.designError) {
        Design().sErrorMessage = job.message;
        std::rethrow_exception(job.designError);
      }
      // Planning stopped where the design did not: the planned stop holds.
      std::rethrow_exception(job.planError);
    }
    inFlight_.pop_front();
  }

  void PrepareWorker() {
    modGlobal& model = Global();
    model = hostModel_;
    // The host's analysis-results instance stays with the host's thread.
    model.analysisResults.reset();
    if (phase_.prepareWorker) {
      phase_.prepareWorker();
    }
  }

  // Copies the host's model and state (the host's thread waits meanwhile);
  // false when that failed.
  bool TakeCopy() {
    std::exception_ptr setupError;
    try {
      PrepareWorker();
    } catch (...) {
      setupError = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++ready_;
      if (setupError && !setupError_) {
        setupError_ = setupError;
      }
    }
    doneCv_.notify_all();
    return !setupError;
  }

  void WorkerMain() {
    uint32_t epoch = 0;
    if (!TakeCopy()) {
      return;
    }
    for (;;) {
      Job* job = nullptr;
      bool recopy = false;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        workCv_.wait(lock,
                     [&] { return stopping_ || epoch != epoch_ || !pending_.empty(); });
        if (stopping_) {
          return;
        }
        if (epoch != epoch_) {
          epoch = epoch_;
          recopy = true;
        } else {
          job = pending_.front();
          pending_.pop_front();
        }
      }
      if (recopy) {
        if (!TakeCopy()) {
          return;
        }
        continue;
      }
      DesignJob(*job);
      bool awaited = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        job->done = true;
        awaited = awaited_ == job;
      }
      // Only the host's thread waits for jobs, and only for one at a time.
      if (awaited) {
        doneCv_.notify_one();
      }
    }
  }

  void DesignJob(Job& job) {
    modDesign& d = Design();
    d.sErrorMessage = phaseMessage_;
    ClearFloatFaults();
    try {
      phase_.loadResults(Global(), job.element, job.results);
      ReplayedForces replay(job.tape);
      phase_.designElement(job.element, replay);
    } catch (...) {
      job.designError = std::current_exception();
      job.message = d.sErrorMessage;
    }
    try {
      phase_.saveResults(Global(), job.element, job.results);
    } catch (...) {
      if (!job.designError) {
        job.designError = std::current_exception();
        job.message = d.sErrorMessage;
      }
    }
  }

  const ElementPhase& phase_;
  modGlobal& hostModel_;
  const std::string phaseMessage_;
  const std::size_t window_;
  uint32_t modelGeneration_;  // of the host's model the workers hold

  // Host's thread only: the elements handed out and not yet copied, oldest
  // first (a deque keeps each job where it is while others are added).
  std::deque<Job> inFlight_;

  std::mutex mutex_;
  std::condition_variable workCv_;  // work to do, or stop
  std::condition_variable doneCv_;  // a worker is ready, or a job is done
  std::deque<Job*> pending_;
  bool stopping_ = false;
  const Job* awaited_ = nullptr;  // the job the host's thread waits for
  int ready_ = 0;                 // workers holding a copy of the host's model
  uint32_t epoch_ = 0;            // raised when every worker must copy it again
  std::exception_ptr setupError_;
  std::vector<std::thread> threads_;
};

void RunOnHostThread(const ElementPhase& phase) {
  HostForces host;
  for (int e = 1; e <= phase.count; ++e) {
    SetCounterLabel(CounterText(e, phase.count));
    PumpWhileSuspended();
    phase.designElement(static_cast<int16_t>(e), host);
  }
}

}  // namespace

void RunElementPhase(const ElementPhase& phase) {
  const int workers = std::min<int>(WorkerThreads(), phase.count);
  if (workers <= 1) {
    RunOnHostThread(phase);
    return;
  }
  std::optional<ElementPipeline> pipeline;
  try {
    pipeline.emplace(phase, workers);
  } catch (...) {
    // No thread could be started or given its copy of the model (the system's
    // limits, memory): nothing has happened yet that a host could see, so the
    // phase runs on the host's thread alone.
    pipeline.reset();
    RunOnHostThread(phase);
    return;
  }
  pipeline->Run();
}

}  // namespace ostrel
