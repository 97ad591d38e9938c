// Scripted modal UI: the handlers and expectations that answer modal windows inside their loops, the
// policy for those nothing answers, and the modal log, all fed by the modal engine's script hooks.
#include <gtest/gtest.h>
#include <plat/testing.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "modal_script.h"
#include "window_internal.h"

namespace plat::test {
namespace {

using detail::KernelMutex;

struct Script {
  ModalKind kind;
  std::wstring title;
  ModalHandler handler;
  Repeat repeat;
};

struct Expectation {
  enum class Act { Answer, File, Colour, Menu, Handler };
  ModalKind kind = ModalKind::Dialog;
  Act act = Act::Handler;
  bool save = false;    // file dialogs: a save (else an open) dialog
  bool cancel = false;  // File, Colour, Menu: cancel instead of choosing
  BoxExpectation box;   // Answer
  std::wstring title;   // Handler: the dialog title
  std::wstring name;    // File
  COLORREF rgb = 0;     // Colour
  UINT id = 0;          // Menu
  ModalHandler handler;
};

Expectation Make(ModalKind kind, Expectation::Act act) {
  Expectation e;
  e.kind = kind;
  e.act = act;
  return e;
}

struct State {
  std::mutex m;
  std::vector<Script> scripts;
  std::deque<Expectation> expected;
  Unscripted policy = Unscripted::Fail;
  std::vector<ModalRecord> log;
};

State& S() {
  static State* s = new State;  // used by UI threads until the process ends
  return *s;
}

std::string Narrow(const std::wstring& s) { return detail::NarrowText(s); }

std::string Describe(const Expectation& e) {
  std::string out;
  switch (e.act) {
    case Expectation::Act::Answer:
      out = "a message box";
      if (!e.box.caption.empty()) out += " \"" + Narrow(e.box.caption) + "\"";
      break;
    case Expectation::Act::File:
      out = e.save ? "a save dialog" : "an open dialog";
      break;
    case Expectation::Act::Colour:
      out = "a colour chooser";
      break;
    case Expectation::Act::Menu:
      out = "a popup menu";
      break;
    case Expectation::Act::Handler:
      out = "the dialog \"" + Narrow(e.title) + "\"";
      break;
  }
  return out;
}

std::string Describe(const ModalRecord& r) {
  std::string out = KindName(r.kind);
  out += " \"" + Narrow(r.caption) + "\"";
  if (!r.text.empty()) out += " with text \"" + Narrow(r.text) + "\"";
  return out;
}

bool IsSaveDialog(HWND h) {
  detail::FileDialogRecord f;
  return detail::FileDialogInfo(h, &f) && f.save;
}

bool Matches(const Expectation& e, const ModalRecord& r) {
  if (e.kind != r.kind) return false;
  switch (e.act) {
    case Expectation::Act::Answer:
      return e.box.caption.empty() || e.box.caption == r.caption;
    case Expectation::Act::File:
      return e.save == IsSaveDialog(r.hwnd);
    case Expectation::Act::Handler:
      return e.title == r.caption;
    default:
      return true;
  }
}

// ---- The watchdog: destroys a cancelled window that is still open a second later ----

constexpr auto kCancelLimit = std::chrono::seconds(1);

struct Watchdog {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::pair<HWND, std::chrono::steady_clock::time_point>> watches;
  bool started = false;
};

Watchdog& W() {
  static Watchdog* w = new Watchdog;  // its thread runs until the process ends
  return *w;
}

// Runs on the window's own thread, as sent work: serviced by its modal loop.
void DestroyOnItsThread(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<detail::Window> w = detail::FindWindowLocked(h);
  if (!w || w->queue->ended) return;
  auto item = std::make_shared<detail::SentItem>();
  item->work = [h]() -> LRESULT {
    if (!IsWindow(h)) return 0;
    ADD_FAILURE() << "modal window \"" << Narrow(Text(h)) << "\" did not end within 1 s of being cancelled; destroyed";
    DestroyWindow(h);
    return 0;
  };
  w->queue->sent.push_back(item);
  ++w->queue->arrivals;
  detail::Kick();
}

void WatchdogMain() {
  Watchdog& wd = W();
  std::unique_lock<std::mutex> lk(wd.m);
  for (;;) {
    if (wd.watches.empty()) {
      wd.cv.wait(lk);
      continue;
    }
    auto first = std::min_element(wd.watches.begin(), wd.watches.end(),
                                  [](const auto& a, const auto& b) { return a.second < b.second; });
    const auto due = first->second;
    if (std::chrono::steady_clock::now() < due) {
      wd.cv.wait_until(lk, due);
      continue;
    }
    const HWND h = first->first;
    wd.watches.erase(first);
    lk.unlock();
    DestroyOnItsThread(h);
    lk.lock();
  }
}

void Watch(HWND h) {
  Watchdog& wd = W();
  std::lock_guard<std::mutex> lock(wd.m);
  wd.watches.emplace_back(h, std::chrono::steady_clock::now() + kCancelLimit);
  if (!wd.started) {
    wd.started = true;
    std::thread(WatchdogMain).detach();
  }
  wd.cv.notify_all();
}

void Unwatch(HWND h) {
  Watchdog& wd = W();
  std::lock_guard<std::mutex> lock(wd.m);
  wd.watches.erase(std::remove_if(wd.watches.begin(), wd.watches.end(), [h](const auto& e) { return e.first == h; }),
                   wd.watches.end());
}

void UnwatchAll() {
  Watchdog& wd = W();
  std::lock_guard<std::mutex> lock(wd.m);
  wd.watches.clear();
}

// ---- Engine hooks ----

ModalRecord* FindRecordLocked(HWND h) {
  std::vector<ModalRecord>& log = S().log;
  for (auto it = log.rbegin(); it != log.rend(); ++it) {
    if (it->hwnd == h) return &*it;
  }
  return nullptr;
}

// The answer the unscripted policy gives.
void AnswerOk(ModalContext& ctx) {
  switch (ctx.Kind()) {
    case ModalKind::Dialog:
      SendMessageW(ctx.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(ctx.Control(IDOK)));
      break;
    case ModalKind::MessageBox:
      ctx.Answer((ctx.Flags() & 0xF) == MB_YESNO ? IDYES : IDOK);
      break;
    case ModalKind::Menu:
      ctx.Cancel();
      break;
    case ModalKind::OpenSave:
      if (ctx.Text().empty()) {
        ctx.Cancel();
      } else {
        ctx.ChooseFile(ctx.Text());
      }
      break;
    case ModalKind::Colour: {
      detail::ColourRecord c;
      if (detail::ColourDialogInfo(ctx.Window(), &c)) {
        ctx.ChooseColour(c.initial);
      } else {
        ctx.Cancel();
      }
      break;
    }
  }
}

void Run(const Expectation& e, ModalContext& ctx) {
  switch (e.act) {
    case Expectation::Act::Answer:
      if (!e.box.textContains.empty() && ctx.Text().find(e.box.textContains) == std::wstring::npos) {
        ADD_FAILURE() << "message box \"" << Narrow(ctx.Caption()) << "\": text \"" << Narrow(ctx.Text())
                      << "\" does not contain \"" << Narrow(e.box.textContains) << "\"";
      }
      if (!ctx.Answer(e.box.answer)) ctx.Close();
      break;
    case Expectation::Act::File:
      if (e.cancel || !ctx.ChooseFile(e.name)) ctx.Cancel();
      break;
    case Expectation::Act::Colour:
      if (e.cancel || !ctx.ChooseColour(e.rgb)) ctx.Cancel();
      break;
    case Expectation::Act::Menu:
      if (e.cancel || !ctx.ChooseMenuItem(e.id)) ctx.Cancel();
      break;
    case Expectation::Act::Handler:
      if (e.handler) e.handler(ctx);
      break;
  }
}

void Opened(HWND modal, detail::ModalKind engineKind, bool testHook) {
  const ModalKind kind = static_cast<ModalKind>(engineKind);
  ModalContext ctx(modal, kind);
  ModalRecord rec{};
  rec.kind = kind;
  rec.hwnd = modal;
  rec.caption = ctx.Caption();
  rec.text = ctx.Text();
  rec.flags = ctx.Flags();
  rec.owner = ctx.Owner();
  for (const ModalInfo& m : ModalStack()) {
    if (m.hwnd == modal) rec.topOwner = m.owner;
  }
  rec.openTick = GetTickCount();
  rec.ending = ModalEnding::Open;

  std::optional<Expectation> expectation;
  ModalHandler handler;
  std::string next;  // the expectation that did not match, for the failure
  Unscripted policy;
  {
    std::lock_guard<std::mutex> lock(S().m);
    State& s = S();
    if (!s.expected.empty() && Matches(s.expected.front(), rec)) {
      expectation = std::move(s.expected.front());
      s.expected.pop_front();
      rec.handledBy = ModalHandledBy::Expectation;
    } else {
      if (!s.expected.empty()) next = Describe(s.expected.front());
      for (auto it = s.scripts.begin(); it != s.scripts.end(); ++it) {
        if (it->kind == kind && (it->title.empty() || it->title == rec.caption)) {
          handler = it->handler;
          if (it->repeat == Repeat::Once) s.scripts.erase(it);
          break;
        }
      }
      if (handler) {
        rec.handledBy = ModalHandledBy::Script;
      } else if (testHook) {
        rec.handledBy = ModalHandledBy::TestHook;
      } else {
        rec.handledBy = s.policy == Unscripted::Fail ? ModalHandledBy::Unexpected : ModalHandledBy::Policy;
      }
    }
    policy = s.policy;
    s.log.push_back(rec);
  }

  switch (rec.handledBy) {
    case ModalHandledBy::Expectation:
      Run(*expectation, ctx);
      break;
    case ModalHandledBy::Script:
      handler(ctx);
      break;
    case ModalHandledBy::TestHook:
      break;
    case ModalHandledBy::Policy:
      if (policy == Unscripted::AnswerOk) {
        AnswerOk(ctx);
      } else {
        ctx.Cancel();
      }
      Watch(modal);
      break;
    case ModalHandledBy::Unexpected:
      ADD_FAILURE() << "unexpected modal UI: " << Describe(rec)
                    << (next.empty() ? std::string() : "; expected " + next + " next") << "; cancelling it";
      ctx.Cancel();
      Watch(modal);
      break;
  }
}

void Ended(HWND modal, detail::ModalKind, detail::ModalEnd how) {
  Unwatch(modal);
  std::lock_guard<std::mutex> lock(S().m);
  if (ModalRecord* r = FindRecordLocked(modal)) {
    r->ending = how == detail::ModalEnd::Ended       ? ModalEnding::Ended
                : how == detail::ModalEnd::Destroyed ? ModalEnding::Destroyed
                                                     : ModalEnding::Quit;
  }
}

void Result(HWND modal, detail::ModalKind, INT_PTR result, const std::wstring& detail) {
  std::lock_guard<std::mutex> lock(S().m);
  if (ModalRecord* r = FindRecordLocked(modal)) {
    r->hasResult = true;
    r->result = result;
    r->detail = detail;
  }
}

// The hooks are in place in every test binary that links the automation (Reset pulls this file in).
const bool g_installed = [] {
  detail::SetModalScriptHooks(detail::ModalScriptHooks{Opened, Ended, Result});
  return true;
}();

void Push(Expectation e) {
  std::lock_guard<std::mutex> lock(S().m);
  S().expected.push_back(std::move(e));
}

std::wstring ClassOf(HWND h) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  std::shared_ptr<detail::Window> w = detail::FindWindowLocked(h);
  return w && w->cls ? w->cls->name : std::wstring();
}

enum class ItemBox { None, Combo, List };

ItemBox ItemBoxOf(HWND h) {
  const std::wstring cls = ClassOf(h);
  if (detail::EqualsIgnoringCase(cls, L"ComboBox")) return ItemBox::Combo;
  if (detail::EqualsIgnoringCase(cls, L"ListBox")) return ItemBox::List;
  return ItemBox::None;
}

}  // namespace

// ---- ModalContext ----

ModalContext::ModalContext(HWND modal, ModalKind kind) : hwnd_(modal), kind_(kind) {}

std::wstring ModalContext::Caption() const { return plat::test::Text(hwnd_); }

std::wstring ModalContext::Text() const {
  if (kind_ == ModalKind::MessageBox) {
    detail::BoxRecord b;
    if (detail::BoxInfo(hwnd_, &b)) return b.text;
  } else if (kind_ == ModalKind::OpenSave) {
    detail::FileDialogRecord f;
    if (detail::FileDialogInfo(hwnd_, &f)) return f.file;
  }
  return std::wstring();
}

UINT ModalContext::Flags() const {
  if (kind_ == ModalKind::MessageBox) {
    detail::BoxRecord b;
    if (detail::BoxInfo(hwnd_, &b)) return b.type;
  } else if (kind_ == ModalKind::OpenSave) {
    detail::FileDialogRecord f;
    if (detail::FileDialogInfo(hwnd_, &f)) return f.flags;
  } else if (kind_ == ModalKind::Colour) {
    detail::ColourRecord c;
    if (detail::ColourDialogInfo(hwnd_, &c)) return c.flags;
  }
  return 0;
}

HWND ModalContext::Owner() const {
  if (kind_ == ModalKind::MessageBox) {
    detail::BoxRecord b;
    if (detail::BoxInfo(hwnd_, &b)) return b.owner;
  }
  for (const ModalInfo& m : ModalStack()) {
    if (m.hwnd == hwnd_) return m.owner;
  }
  return nullptr;
}

HWND ModalContext::Control(int id) const { return GetDlgItem(hwnd_, id); }
std::vector<HWND> ModalContext::Controls() const { return Children(hwnd_); }
std::wstring ModalContext::ControlText(int id) const {
  HWND h = Control(id);
  return h ? plat::test::Text(h) : std::wstring();
}

namespace {

// The control `id` of the modal window, or NULL after failing the test.
HWND NeedControl(const ModalContext& ctx, int id, const char* action) {
  HWND h = ctx.Control(id);
  if (!h) {
    ADD_FAILURE() << action << ": " << KindName(ctx.Kind()) << " \"" << Narrow(ctx.Caption())
                  << "\" has no control " << id;
  } else if (!IsWindowEnabled(h) || !IsWindowVisible(h)) {
    ADD_FAILURE() << action << ": control " << id << " of \"" << Narrow(ctx.Caption())
                  << "\" is disabled or hidden";
    return nullptr;
  }
  return h;
}

bool NeedKind(const ModalContext& ctx, ModalKind kind, const char* action) {
  if (ctx.Kind() == kind) return true;
  ADD_FAILURE() << action << " does not apply to the " << KindName(ctx.Kind()) << " \"" << Narrow(ctx.Caption())
                << "\"";
  return false;
}

}  // namespace

bool ModalContext::SetText(int id, const std::wstring& s) {
  HWND h = NeedControl(*this, id, "SetText");
  return h && SetWindowTextW(h, s.c_str());
}

bool ModalContext::Select(int id, int index) {
  HWND h = NeedControl(*this, id, "Select");
  if (!h) return false;
  const ItemBox kind = ItemBoxOf(h);
  if (kind == ItemBox::None) {
    ADD_FAILURE() << "Select: control " << id << " is no combo or list box";
    return false;
  }
  const bool combo = kind == ItemBox::Combo;
  // Checked first, so that a failed Select leaves the selection as it was.
  const LRESULT count = SendMessageW(h, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) {
    ADD_FAILURE() << "Select: " << (combo ? "combo" : "list") << " box " << id << " has no item " << index;
    return false;
  }
  const LRESULT before = SendMessageW(h, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  SendMessageW(h, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // The user's selection on a closed combo box notifies the dialog; CB_SETCURSEL alone does not.
  // A list box sends nothing (no LBS_NOTIFY).
  if (combo && before != index) {
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
  }
  return true;
}

bool ModalContext::Check(int id, bool checked) {
  HWND h = NeedControl(*this, id, "Check");
  if (!h) return false;
  if ((SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) SendMessageW(h, BM_CLICK, 0, 0);
  if ((SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
    ADD_FAILURE() << "Check: control " << id << " did not take the state " << checked;
    return false;
  }
  return true;
}

bool ModalContext::Click(int id) {
  HWND h = NeedControl(*this, id, "Click");
  if (!h) return false;
  SendMessageW(h, BM_CLICK, 0, 0);
  return true;
}

void ModalContext::Key(int vk) { KeyPress(vk); }

bool ModalContext::ClickCaptionOk() {
  const DWORD style = Style(hwnd_);
  if (detail::CurrentProfile() != Profile::Handheld || (ExStyle(hwnd_) & WS_EX_CAPTIONOKBTN) == 0 ||
      (style & WS_CAPTION) != WS_CAPTION) {
    ADD_FAILURE() << "ClickCaptionOk: \"" << Narrow(Caption()) << "\" has no caption OK box";
    return false;
  }
  const RECT box = detail::CaptionBoxRectScreen(WindowRect(hwnd_), style);
  ClickScreen((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  return true;
}

void ModalContext::Close() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

bool ModalContext::End(INT_PTR value) {
  switch (kind_) {
    case ModalKind::Dialog:
      if (EndDialog(hwnd_, value)) return true;
      ADD_FAILURE() << "End: EndDialog failed on \"" << Narrow(Caption()) << "\"";
      return false;
    case ModalKind::MessageBox:
      return Answer(static_cast<int>(value));
    case ModalKind::Menu:
      return value == 0 ? Cancel() : ChooseMenuItem(static_cast<UINT>(value));
    default:
      if (value == 0) return Cancel();
      ADD_FAILURE() << "End: a " << KindName(kind_) << " ends with ChooseFile, ChooseColour or Cancel";
      return false;
  }
}

bool ModalContext::Answer(int id) {
  if (!NeedKind(*this, ModalKind::MessageBox, "Answer")) return false;
  if (detail::ScriptAnswerBox(hwnd_, id)) return true;
  ADD_FAILURE() << "Answer: message box \"" << Narrow(Caption()) << "\" has no button " << id;
  return false;
}

bool ModalContext::ChooseFile(const std::wstring& name) {
  if (!NeedKind(*this, ModalKind::OpenSave, "ChooseFile")) return false;
  if (detail::ScriptChooseFile(hwnd_, name)) return true;
  ADD_FAILURE() << "ChooseFile: \"" << Narrow(Caption()) << "\" took no file name";
  return false;
}

bool ModalContext::ChooseColour(COLORREF rgb) {
  if (!NeedKind(*this, ModalKind::Colour, "ChooseColour")) return false;
  if (detail::ScriptChooseColour(hwnd_, rgb)) return true;
  ADD_FAILURE() << "ChooseColour: \"" << Narrow(Caption()) << "\" took no colour";
  return false;
}

bool ModalContext::ChooseMenuItem(UINT id) {
  if (!NeedKind(*this, ModalKind::Menu, "ChooseMenuItem")) return false;
  if (detail::ScriptChooseMenuItem(hwnd_, id)) return true;
  ADD_FAILURE() << "ChooseMenuItem: the menu has no enabled item " << id;
  return false;
}

bool ModalContext::Cancel() {
  bool ok = true;
  switch (kind_) {
    case ModalKind::Dialog:
    case ModalKind::MessageBox:
      Close();
      break;
    case ModalKind::Menu:
      ok = detail::ScriptCancelMenu(hwnd_);
      break;
    case ModalKind::OpenSave:
      ok = detail::ScriptCancelFile(hwnd_);
      break;
    case ModalKind::Colour:
      ok = detail::ScriptCancelColour(hwnd_);
      break;
  }
  if (!ok) ADD_FAILURE() << "Cancel: the " << KindName(kind_) << " \"" << Narrow(Caption()) << "\" did not cancel";
  return ok;
}

// ---- Registration ----

void OnModal(ModalKind kind, const std::wstring& titleMatch, ModalHandler handler, Repeat repeat) {
  std::lock_guard<std::mutex> lock(S().m);
  S().scripts.push_back(Script{kind, titleMatch, std::move(handler), repeat});
}

void ExpectMessageBox(const BoxExpectation& box) {
  Expectation e = Make(ModalKind::MessageBox, Expectation::Act::Answer);
  e.box = box;
  Push(std::move(e));
}

namespace {

void PushFile(bool save, const std::wstring* name) {
  Expectation e = Make(ModalKind::OpenSave, Expectation::Act::File);
  e.save = save;
  e.cancel = !name;
  if (name) e.name = *name;
  Push(std::move(e));
}

void PushColour(std::optional<COLORREF> rgb) {
  Expectation e = Make(ModalKind::Colour, Expectation::Act::Colour);
  e.cancel = !rgb;
  e.rgb = rgb.value_or(0);
  Push(std::move(e));
}

void PushMenu(std::optional<UINT> id) {
  Expectation e = Make(ModalKind::Menu, Expectation::Act::Menu);
  e.cancel = !id;
  e.id = id.value_or(0);
  Push(std::move(e));
}

}  // namespace

void ExpectSaveFile(const std::wstring& name) { PushFile(true, &name); }
void ExpectSaveFile(CancelChoice) { PushFile(true, nullptr); }
void ExpectOpenFile(const std::wstring& name) { PushFile(false, &name); }
void ExpectOpenFile(CancelChoice) { PushFile(false, nullptr); }
void ExpectColour(COLORREF rgb) { PushColour(rgb); }
void ExpectColour(CancelChoice) { PushColour(std::nullopt); }
void ExpectMenu(UINT id) { PushMenu(id); }
void ExpectMenu(CancelChoice) { PushMenu(std::nullopt); }

void ExpectDialog(const std::wstring& title, ModalHandler handler) {
  Expectation e = Make(ModalKind::Dialog, Expectation::Act::Handler);
  e.title = title;
  e.handler = std::move(handler);
  Push(std::move(e));
}

size_t PendingExpectations() {
  std::lock_guard<std::mutex> lock(S().m);
  return S().expected.size();
}

void AllowUnscripted(Unscripted policy) {
  std::lock_guard<std::mutex> lock(S().m);
  S().policy = policy;
}

std::vector<ModalRecord> ModalLog() {
  std::lock_guard<std::mutex> lock(S().m);
  return S().log;
}

// ---- Reading controls ----

int CheckState(HWND button) { return IsWindow(button) ? static_cast<int>(SendMessageW(button, BM_GETCHECK, 0, 0)) : 0; }

std::vector<std::wstring> Items(HWND h) {
  const ItemBox kind = ItemBoxOf(h);
  if (kind == ItemBox::None) return {};
  const bool combo = kind == ItemBox::Combo;
  const LRESULT n = SendMessageW(h, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  std::vector<std::wstring> out;
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(h, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(len, 0)) + 1, L'\0');
    const LRESULT got = SendMessageW(h, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len < 0 ? 0 : len)));
    out.push_back(std::move(text));
  }
  return out;
}

int Selection(HWND h) {
  const ItemBox kind = ItemBoxOf(h);
  if (kind == ItemBox::None) return -1;
  const LRESULT sel = SendMessageW(h, kind == ItemBox::Combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  return sel < 0 ? -1 : static_cast<int>(sel);
}

int TopIndex(HWND h) {
  return ItemBoxOf(h) == ItemBox::List ? static_cast<int>(SendMessageW(h, LB_GETTOPINDEX, 0, 0)) : -1;
}

bool IsReadOnly(HWND edit) { return (Style(edit) & ES_READONLY) != 0; }

const char* KindName(ModalKind kind) {
  switch (kind) {
    case ModalKind::Dialog:
      return "dialog";
    case ModalKind::MessageBox:
      return "message box";
    case ModalKind::Menu:
      return "popup menu";
    case ModalKind::OpenSave:
      return "file dialog";
    case ModalKind::Colour:
      return "colour chooser";
  }
  return "modal window";
}

// Part of Reset: an expectation nobody met fails the test (the modal UI it stands for never
// opened), then the scripts, the expectations, the policy and the log start afresh.
void ResetModalAutomation() {
  std::deque<Expectation> left;
  {
    std::lock_guard<std::mutex> lock(S().m);
    State& s = S();
    left.swap(s.expected);
    s.scripts.clear();
    s.log.clear();
    s.policy = Unscripted::Fail;
  }
  UnwatchAll();
  for (const Expectation& e : left) ADD_FAILURE() << "expected modal UI never opened: " << Describe(e);
}

}  // namespace plat::test
