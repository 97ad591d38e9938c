// Threads, events and WaitForSingleObject, all waiting through KernelWait on the one clock.
#include <pthread.h>

#include "clock.h"

namespace plat::detail {
namespace {

struct ThreadObject : Object {
  explicit ThreadObject(std::shared_ptr<ThreadCtx> c) : Object(Kind::Thread), ctx(std::move(c)) {}
  const std::shared_ptr<ThreadCtx> ctx;
};

struct EventObject : Object {
  EventObject(bool manualReset, bool initial) : Object(Kind::Event), manual(manualReset), signalled(initial) {}
  const bool manual;
  bool signalled;  // guarded by KernelMutex
};

// CreateThread threads that have not ended yet; guarded by KernelMutex.
int g_liveThreads = 0;

struct StartArgs {
  std::shared_ptr<ThreadCtx> ctx;
  LPTHREAD_START_ROUTINE proc;
  LPVOID arg;
};

void EndThread(ThreadCtx* ctx, DWORD code) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  ctx->ended = true;
  ctx->exitCode = code;
  --g_liveThreads;
  Kick();
  UnregisterLocked(ctx);
}

void* ThreadMain(void* p) {
  std::unique_ptr<StartArgs> args(static_cast<StartArgs*>(p));
  AdoptThreadCtx(args->ctx.get());
  const DWORD code = args->proc(args->arg);
  EndThread(args->ctx.get(), code);
  AdoptThreadCtx(nullptr);
  return nullptr;
}

}  // namespace

void ParkPoint() {
  ThreadCtx* me = CurrentThreadCtx();
  if (!me->created) return;
  std::unique_lock<std::mutex> lk(KernelMutex());
  if (me->suspendCount == 0) return;
  KernelWait(lk, kNoDeadline, [me] { return me->suspendCount == 0; });
}

std::shared_ptr<Object> LookupWaitable(HANDLE h) {
  Kind kind;
  if (HandleKind(h, &kind) && (kind == Kind::Event || kind == Kind::Thread)) return LookupHandle(h, kind);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

bool TakeSignalLocked(Object* obj) {
  if (obj->kind == Kind::Thread) return static_cast<ThreadObject*>(obj)->ctx->ended;
  auto* e = static_cast<EventObject*>(obj);
  if (!e->signalled) return false;
  if (!e->manual) e->signalled = false;
  return true;
}

bool WaitThreadsEnded(uint32_t realMs) {
  std::unique_lock<std::mutex> lk(KernelMutex());
  return HarnessWaitLocked(lk, realMs, [] { return g_liveThreads == 0; });
}

void ResetThreads() {
  std::lock_guard<std::mutex> lock(KernelMutex());
  ForgetPlatformThreadsLocked();
}

}  // namespace plat::detail

using namespace plat::detail;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES /*sec*/, size_t /*stack*/, LPTHREAD_START_ROUTINE proc, LPVOID arg,
                    DWORD flags, LPDWORD id) {
  // Only the plain form is provided: starting suspended is not supported, and is refused rather
  // than ignored.
  if (!proc || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto ctx = std::make_shared<ThreadCtx>();
  ctx->id = NewThreadId();
  ctx->created = true;
  {
    // Counted from now on, so the virtual clock never steps past a thread that has not run yet.
    std::lock_guard<std::mutex> lock(KernelMutex());
    RegisterLocked(ctx.get());
    ++g_liveThreads;
  }
  HANDLE h = InsertHandle(std::make_shared<ThreadObject>(ctx));
  auto* args = new StartArgs{ctx, proc, arg};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const int rc = pthread_create(&thread, &attr, ThreadMain, args);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete args;
    EndThread(ctx.get(), 0);
    RetireHandle(h);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (id) *id = ctx->id;
  return h;
}

BOOL GetExitCodeThread(HANDLE h, LPDWORD code) {
  auto t = Lookup<ThreadObject>(h, Kind::Thread);
  if (!t) return FALSE;
  if (!code) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(KernelMutex());
  *code = t->ctx->ended ? t->ctx->exitCode : STILL_ACTIVE;
  return TRUE;
}

DWORD GetCurrentThreadId() { return CurrentThreadCtx()->id; }

DWORD SuspendThread(HANDLE h) {
  auto t = Lookup<ThreadObject>(h, Kind::Thread);
  if (!t) return static_cast<DWORD>(-1);
  std::lock_guard<std::mutex> lock(KernelMutex());
  if (t->ctx->ended) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  // Never waits: the target stops at its next park point.
  return t->ctx->suspendCount++;
}

DWORD ResumeThread(HANDLE h) {
  auto t = Lookup<ThreadObject>(h, Kind::Thread);
  if (!t) return static_cast<DWORD>(-1);
  std::lock_guard<std::mutex> lock(KernelMutex());
  ThreadCtx* ctx = t->ctx.get();
  if (ctx->ended) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  const DWORD previous = ctx->suspendCount;
  if (previous > 0 && --ctx->suspendCount == 0) Kick();
  return previous;
}

// Event names are not supported: every event is a fresh unnamed one.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES /*sec*/, BOOL manualReset, BOOL initialState, LPCWSTR /*name*/) {
  return InsertHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sec, BOOL manualReset, BOOL initialState, LPCSTR /*name*/) {
  return CreateEventW(sec, manualReset, initialState, nullptr);
}

BOOL SetEvent(HANDLE h) {
  auto e = Lookup<EventObject>(h, Kind::Event);
  if (!e) return FALSE;
  std::lock_guard<std::mutex> lock(KernelMutex());
  e->signalled = true;
  Kick();
  return TRUE;
}

BOOL ResetEvent(HANDLE h) {
  auto e = Lookup<EventObject>(h, Kind::Event);
  if (!e) return FALSE;
  std::lock_guard<std::mutex> lock(KernelMutex());
  e->signalled = false;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
  ParkPoint();
  Kind kind;
  std::shared_ptr<Object> obj;
  if (HandleKind(h, &kind) && (kind == Kind::Event || kind == Kind::Thread)) obj = LookupHandle(h, kind);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  bool signalled;
  {
    std::unique_lock<std::mutex> lk(KernelMutex());
    const uint64_t deadline = ms == INFINITE ? kNoDeadline : NowMs() + ms;
    if (kind == Kind::Event) {
      auto* e = static_cast<EventObject*>(obj.get());
      signalled = KernelWait(lk, deadline, [e] {
        if (!e->signalled) return false;
        if (!e->manual) e->signalled = false;  // an auto-reset event releases one waiter
        return true;
      });
    } else {
      ThreadCtx* ctx = static_cast<ThreadObject*>(obj.get())->ctx.get();
      signalled = KernelWait(lk, deadline, [ctx] { return ctx->ended; });
    }
  }
  ParkPoint();
  return signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
