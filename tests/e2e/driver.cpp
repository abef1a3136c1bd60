// Drives Setup.exe the way a user would, from another process: waits for its windows by class,
// finds controls by caption, clicks, answers dialogs, and photographs every window it meets
// (through Xvfb's screen, so the picture is what a person would see). One driver serves every
// scenario; prints PASS or FAIL per step and exits with 0 only when the whole script passed.
//
//   driver.exe --app C:\e2e\x\Setup.exe --script Z:/path/x.steps [--shots /unix/folder]
//
// Steps, one a line; "..." groups words, "" inside quotes is one quote, # starts a comment,
// "include <name>" stands for the steps of <name>.inc beside the file:
//   resource <name> <file>       before start: the program's RCDATA resource is replaced
//   start                        start the program and wait until it is idle
//   window <class>               wait for a shown, enabled window of the program; it becomes
//                                the current window and is photographed the first time
//   foreign <class> [title part] the same for a window of any process (Notepad)
//   in <class>                   a shown window of the program becomes the current window,
//                                enabled or not (the main window behind a dialog)
//   gone <class>                 no window of the class is shown any more
//   title <text>                 the current window's title
//   has <caption>, hasprefix <text>, lacks <caption>    controls of the current window
//   click <caption>              press a button (BM_CLICK, posted)
//   check <caption> 0|1          untick or tick a check box or radio button by clicking it
//   checked <caption> 0|1, enabled <caption> 0|1, clientheight <pixels>
//   clientsize <width> <height>  the current window's client area
//   rect <caption> <left> <top> <width> <height>   a control's rectangle in the current
//                                window's client coordinates
//   pick <prefix>                select the drop-down list's first line with that prefix
//   selected <pattern>           the drop-down list shows such a line (? one character, * any)
//   message <title> is|contains <text>    answer a message box with OK
//   save <title> <proposed name> <path>   fill in the save dialog and confirm it
//   editfile <path>              the current window's edit control shows the file's text
//   close                        close the current window
//   alive, exit <code>           the program is running; it ends with that exit code
//   sh <command>                 a Unix command, which must end with status 0
//   files <folder> [name]...     the folder holds exactly these files and folders
//   expect [option]...           one more setup attempt (Setup pressed) with these choices:
//                                the run pauses while setup-oracle compares the card, the log
//                                and the settings with what the attempts so far must leave
//                                (setup-oracle check options; paths from run.sh's E2E_*)
//   shot <name>                  one more screenshot of the current window
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

// Written straight to the handle in UTF-8: under Wine a redirected stdout is the Unix pipe, and
// the C runtime's text mode would recode or buffer it.
void Out(const std::string& line) {
  std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

struct StepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& why) {
  throw StepFailed(why);
}

std::string ReadWhole(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) Fail("cannot read " + Narrow(path));
  std::string bytes(GetFileSize(f, nullptr), '\0');
  DWORD got = 0;
  ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(f);
  bytes.resize(got);
  return bytes;
}

std::string Quote(const std::wstring& w) {
  return "\"" + Narrow(w) + "\"";
}

// Cross-process text reads go through messages: GetWindowTextW returns nothing for another
// process's controls on Windows, and an edit control keeps its text to itself.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &len)) return {};
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 3000, &got);
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, w, l, SMTO_ABORTIFHUNG, 3000, &result))
    Fail("window did not answer message " + std::to_string(msg));
  return static_cast<LRESULT>(result);
}

struct TopQuery {
  DWORD pid;
  const std::wstring* cls;
  std::vector<HWND> found;
};

// Lambdas cannot carry the stdcall convention that i686 callbacks need.
BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
  auto& q = *reinterpret_cast<TopQuery*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if ((q.pid == 0 || owner == q.pid) && IsWindowVisible(hwnd) &&
      (q.cls->empty() || ClassOf(hwnd) == *q.cls))
    q.found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopWindows(DWORD pid, const std::wstring& cls) {
  TopQuery q{pid, &cls, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND DescendantById(HWND parent, int id) {
  for (HWND h : Descendants(parent))
    if (GetDlgCtrlID(h) == id) return h;
  return nullptr;
}

using Words = std::vector<std::string>;

// The folder holds exactly these names (files and folders).
void ExpectFolder(const std::string& folder, std::set<std::string> names) {
  WIN32_FIND_DATAW found;
  std::wstring pattern = Widen(folder);
  if (pattern.back() != L'\\') pattern += L'\\';
  HANDLE find = FindFirstFileW((pattern + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) Fail("no folder " + folder);
  std::string extra, missing;
  do {
    const std::string name = Narrow(found.cFileName);
    if (name != "." && name != ".." && !names.erase(name)) extra += " " + name;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  for (const auto& name : names) missing += " " + name;
  if (!extra.empty() || !missing.empty())
    Fail(folder + " holds also:" + extra + "; lacks:" + missing);
}

// One script line split into words; "..." groups words, and "" inside quotes is one quote.
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
    } else if (line[i] == '"') {
      std::string word;
      ++i;
      for (;;) {
        if (i >= line.size()) Fail("unterminated quote");
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            word += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        word += line[i++];
      }
      words.push_back(word);
    } else {
      size_t end = line.find_first_of(" \t\r", i);
      if (end == std::string::npos) end = line.size();
      words.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

class Driver {
 public:
  Driver(std::wstring app, std::string shots) : app_(std::move(app)), shots_(std::move(shots)) {}
  ~Driver() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }

  void Run(const Words& w);
  void Diagnose();
  bool AppRunning() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
  }

 private:
  template <class Pred>
  bool Poll(Pred done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
      if (done()) return true;
      if (GetTickCount() - start >= ms) return false;
      Sleep(50);
    }
  }

  void Start();
  void ReplaceResource(const std::wstring& name, const std::wstring& file);
  HWND WaitWindow(DWORD pid, const std::wstring& cls, const std::wstring& titlePart);
  void Meet(HWND hwnd);
  void Shot(HWND hwnd, const std::string& name);
  void CheckGlyphs(HWND hwnd, const std::string& file, LONG left, LONG top);
  // Class, Class-2, ...: the first name no earlier picture of this folder has taken, also
  // across several driver runs of one scenario.
  std::string FreeName(const std::string& base) {
    for (int n = 1;; ++n) {
      std::string name = base + (n > 1 ? "-" + std::to_string(n) : "");
      if (GetFileAttributesW((L"Z:" + Widen(shots_ + "/" + name + ".png")).c_str()) ==
          INVALID_FILE_ATTRIBUTES)
        return name;
    }
  }
  int RunUnix(const std::string& command);
  HWND Control(const std::wstring& caption) {
    return ControlWhere([&](const std::wstring& t) { return t == caption; }, caption);
  }
  HWND ControlByPrefix(const std::wstring& prefix) {
    return ControlWhere(
        [&](const std::wstring& t) { return t.compare(0, prefix.size(), prefix) == 0; },
        prefix + L"...");
  }
  template <class Match>
  HWND ControlWhere(Match match, const std::wstring& what);
  HWND Combo();
  HWND Current() const {
    if (!current_ || !IsWindow(current_)) Fail("no current window");
    return current_;
  }
  void Click(HWND ctrl);
  void SetCheck(const std::wstring& caption, bool on);
  void PickLine(const std::wstring& prefix);
  void AnswerMessage(const std::wstring& title, const std::string& how, const std::wstring& text);
  void SaveAs(const std::wstring& title, const std::wstring& proposed, const std::wstring& path);
  void ExpectExit(DWORD code);
  // The current window's client area; any width when width < 0.
  void ClientIs(long width, long height) {
    RECT r{};
    if (!Poll(
            [&] {
              return GetClientRect(Current(), &r) && (width < 0 || r.right == width) &&
                     r.bottom == height;
            },
            5000))
      Fail("client size " + std::to_string(r.right) + " x " + std::to_string(r.bottom));
  }
  void CompareEditWithFile(const std::wstring& path);

  std::wstring app_;
  std::string shots_;
  const DWORD timeout_ = 30000;
  PROCESS_INFORMATION pi_{};
  HWND current_ = nullptr;
  std::set<HWND> shot_;
  int unixRuns_ = 0;
  // The setup attempts seen so far, as the oracle's options.
  std::string attempts_;
};

void Driver::Start() {
  std::wstring folder = app_.substr(0, app_.find_last_of(L"\\/") + 1);
  std::wstring cmd = L"\"" + app_ + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(app_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi_))
    Fail("cannot start " + Narrow(app_) + " (error " + std::to_string(GetLastError()) + ")");
  WaitForInputIdle(pi_.hProcess, timeout_);
  Out("started " + Narrow(app_) + " as process " + std::to_string(pi_.dwProcessId));
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR lp) {
  *reinterpret_cast<WORD*>(lp) = lang;
  return FALSE;
}

// Swaps the payload for other bytes, as a damaged download would; replacing needs the language
// the resource compiler gave the original, or the program would carry both.
void Driver::ReplaceResource(const std::wstring& name, const std::wstring& file) {
  std::string bytes = ReadWhole(file);
  WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  if (HMODULE mod = LoadLibraryExW(app_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    EnumResourceLanguagesW(mod, RT_RCDATA, name.c_str(), FirstLanguage,
                           reinterpret_cast<LONG_PTR>(&lang));
    FreeLibrary(mod);
  }
  HANDLE update = BeginUpdateResourceW(app_.c_str(), FALSE);
  if (!update ||
      !UpdateResourceW(update, RT_RCDATA, name.c_str(), lang, bytes.data(),
                       static_cast<DWORD>(bytes.size())) ||
      !EndUpdateResourceW(update, FALSE))
    Fail("cannot replace the resource (error " + std::to_string(GetLastError()) + ")");
}

// A window counts once it is visible and enabled: an owner stays disabled while its modal
// dialog is open, and so is not yet the window the user works with. pid 0 looks at every
// process (Notepad is started by the program, not by us). Another process's window gets as long
// as the program's exit: the i686 command interpreter that starts Notepad takes over 20 s to come
// up through qemu on a loaded machine.
HWND Driver::WaitWindow(DWORD pid, const std::wstring& cls, const std::wstring& titlePart) {
  HWND found = nullptr;
  bool ok = Poll(
      [&] {
        for (HWND h : TopWindows(pid, cls))
          if (IsWindowEnabled(h) &&
              (titlePart.empty() || TextOf(h).find(titlePart) != std::wstring::npos)) {
            found = h;
            return true;
          }
        return pid != 0 && !AppRunning();
      },
      pid ? timeout_ : 3 * timeout_);
  if (!found) {
    std::string why = ok ? "the program ended" : "timed out";
    Fail("no window of class " + Quote(cls) + " (" + why + ")");
  }
  // Children are created after the frame; idle means the creation has run to its end.
  if (pid) WaitForInputIdle(pi_.hProcess, 5000);
  return found;
}

void Driver::Meet(HWND hwnd) {
  current_ = hwnd;
  if (!shots_.empty() && shot_.insert(hwnd).second) Shot(hwnd, FreeName(Narrow(ClassOf(hwnd))));
}

// Wine starts a Unix program when CreateProcess is handed an ELF file, but gives back no
// handle; the command therefore leaves its status in a file that we poll.
int Driver::RunUnix(const std::string& command) {
  std::string status = (shots_.empty() ? "/tmp" : shots_) + "/.status-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++unixRuns_);
  std::wstring statusWin = L"Z:" + Widen(status);
  DeleteFileW(statusWin.c_str());
  std::string script = "(" + command + ") </dev/null; echo $? > '" + status + "'";
  // Wine splits the command line as Windows does: n backslashes are literal, unless a quote
  // follows; then they are 2n, and the quote escaped.
  std::wstring cmd = L"/bin/sh -c \"";
  std::size_t slashes = 0;
  for (wchar_t c : Widen(script)) {
    if (c == L'"') cmd.append(slashes + 1, L'\\');
    slashes = c == L'\\' ? slashes + 1 : 0;
    cmd += c;
  }
  cmd.append(slashes, L'\\');
  cmd += L'"';
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    Fail("cannot start /bin/sh (error " + std::to_string(GetLastError()) + ")");
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  std::string text;
  bool done = Poll(
      [&] {
        HANDLE f = CreateFileW(statusWin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;
        char buf[16] = {};
        DWORD got = 0;
        ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
        CloseHandle(f);
        text.assign(buf, got);
        return text.find('\n') != std::string::npos;
      },
      120000);
  DeleteFileW(statusWin.c_str());
  if (!done) Fail("Unix command did not finish: " + command);
  return std::atoi(text.c_str());
}

// The screen is Xvfb's; a Debian tool cuts the window's rectangle out of the root window, so
// the picture is what a person would see, whichever process drew it.
void Driver::Shot(HWND hwnd, const std::string& name) {
  if (shots_.empty()) return;
  RECT r{};
  if (hwnd) {
    // Repaint now: a dialog that has just closed leaves its pixels until the window under it
    // has drawn, and the owner may still be busy in the handler that showed the dialog. Once
    // no part of the window waits for paint, two sent messages (each returns when the window's
    // thread pumps again) see its thread back in its loop after painting, where Wine hands the
    // painted bits to the X server.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Poll(
        [&] {
          if (GetUpdateRect(hwnd, nullptr, FALSE)) return false;
          for (HWND h : Descendants(hwnd))
            if (GetUpdateRect(h, nullptr, FALSE)) return false;
          return true;
        },
        5000);
    for (int i = 0; i < 2; ++i) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    GetWindowRect(hwnd, &r);
  } else {
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  LONG left = r.left < 0 ? 0 : r.left, top = r.top < 0 ? 0 : r.top;
  LONG width = r.right - left, height = r.bottom - top;
  if (width <= 0 || height <= 0) return;
  std::string file = shots_ + "/" + name + ".png";
  std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" +
                     std::to_string(left) + "+" + std::to_string(top);
  int rc = RunUnix("import -window root -crop " + crop + " +repage '" + file +
                   ".tmp.png' && mv -f '" + file + ".tmp.png' '" + file + "'");
  if (rc != 0) Fail("screenshot " + file + " failed (status " + std::to_string(rc) + ")");
  Out("shot " + file);
  if (hwnd) CheckGlyphs(hwnd, file, left, top);
}

// Each enabled button of the program's that carries a glyph must show it in the screenshot: the
// cross's red on Cancel, the tick's green on OK and Setup. Known by caption, not by BM_GETIMAGE:
// a button without the common controls 6 refuses the image, and then both would miss it. A
// route that cannot draw the glyph is named in the failure.
void Driver::CheckGlyphs(HWND hwnd, const std::string& file, LONG left, LONG top) {
  if (ClassOf(hwnd) == L"#32770") return;
  DWORD type = SCS_32BIT_BINARY;
  GetBinaryTypeW(app_.c_str(), &type);
  wchar_t qemu[16] = {};
  GetEnvironmentVariableW(L"SETUP_I686_ROUTE", qemu, 16);
  const std::string route = type == SCS_64BIT_BINARY        ? "x86-64 Setup.exe under wine64"
                            : std::wstring(qemu) == L"qemu" ? "i686 Setup.exe through qemu"
                                                            : "i686 Setup.exe, native";
  for (HWND button : Descendants(hwnd)) {
    const std::wstring caption = TextOf(button);
    const bool red = caption == L"Cancel" || caption == L"キャンセル";
    if (!red && caption != L"OK" && caption != L"Setup" && caption != L"セットアップ") continue;
    if (_wcsicmp(ClassOf(button).c_str(), L"Button") != 0 || !IsWindowVisible(button) ||
        !IsWindowEnabled(button))
      continue;
    RECT r{};
    GetWindowRect(button, &r);
    if (WindowFromPoint({(r.left + r.right) / 2, (r.top + r.bottom) / 2}) != button) {
      Out("  glyph of " + Quote(caption) + " not checked: the button is covered");
      continue;
    }
    const std::string crop = std::to_string(r.right - r.left) + "x" +
                             std::to_string(r.bottom - r.top) + "+" +
                             std::to_string(r.left - left) + "+" + std::to_string(r.top - top);
    // txt: lines read "x,y: (r,g,b) ...", so fields 3 to 5 are the channels.
    const std::string ink =
        red ? "$3 >= 150 && $4 < 70 && $5 < 70" : "$4 >= 100 && $3 < 70 && $5 < 70";
    if (RunUnix("convert '" + file + "' -crop " + crop +
                " +repage -depth 8 txt:- | awk -F'[(,)]' 'NR > 1 && " + ink +
                " { n++ } END { exit n < 4 }'") != 0)
      Fail("no " + std::string(red ? "red cross" : "green tick") + " in the button " +
           Quote(caption) + " of " + file + " (route: " + route + ")");
    Out("  glyph of " + Quote(caption) + " drawn");
  }
}

template <class Match>
HWND Driver::ControlWhere(Match match, const std::wstring& what) {
  HWND found = nullptr;
  Poll(
      [&] {
        for (HWND h : Descendants(Current()))
          if (match(TextOf(h))) {
            found = h;
            return true;
          }
        return false;
      },
      5000);
  if (!found) Fail("no control " + Quote(what) + " in " + Narrow(ClassOf(current_)));
  return found;
}

HWND Driver::Combo() {
  for (HWND h : Descendants(Current()))
    if (_wcsicmp(ClassOf(h).c_str(), L"ComboBox") == 0) return h;
  Fail("no drop-down list in " + Narrow(ClassOf(current_)));
}

// Posted, not sent: a click that opens a modal dialog would otherwise hold the driver.
void Driver::Click(HWND ctrl) {
  if (!IsWindowEnabled(ctrl)) Fail("control " + Quote(TextOf(ctrl)) + " is disabled");
  PostMessageW(ctrl, BM_CLICK, 0, 0);
}

void Driver::SetCheck(const std::wstring& caption, bool on) {
  HWND box = Control(caption);
  const LRESULT want = on ? BST_CHECKED : BST_UNCHECKED;
  if (Send(box, BM_GETCHECK, 0, 0) != want) Click(box);
  if (!Poll([&] { return Send(box, BM_GETCHECK, 0, 0) == want; }, 5000))
    Fail("check box " + Quote(caption) + " did not change");
}

// A drop-down list is set as the user's pick would set it: the selection, then the
// notification its owner acts on.
void Driver::PickLine(const std::wstring& prefix) {
  HWND combo = Combo();
  const int count = static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0));
  int pick = -1;
  std::wstring line;
  for (int i = 0; i < count; ++i) {
    int len = static_cast<int>(Send(combo, CB_GETLBTEXTLEN, i, 0));
    std::wstring item(len + 1, L'\0');
    Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(len);
    Out("  list line " + std::to_string(i) + ": " + Narrow(item));
    if (pick < 0 && item.compare(0, prefix.size(), prefix) == 0) {
      pick = i;
      line = item;
    }
  }
  if (pick < 0) Fail("no list line begins with " + Quote(prefix));
  Send(combo, CB_SETCURSEL, pick, 0);
  Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
       reinterpret_cast<LPARAM>(combo));
  if (Send(combo, CB_GETCURSEL, 0, 0) != pick) Fail("the list did not take the selection");
  Out("SELECTED " + Narrow(line));
}

void Driver::AnswerMessage(const std::wstring& title, const std::string& how,
                           const std::wstring& text) {
  HWND box = nullptr;
  // The save dialog is a #32770 too; a message box is the one without a file-name box.
  Poll(
      [&] {
        for (HWND h : TopWindows(pi_.dwProcessId, L"#32770"))
          if (!DescendantById(h, 0x47C)) box = h;
        return box != nullptr;
      },
      timeout_);
  if (!box) Fail("no message box");
  WaitForInputIdle(pi_.hProcess, 5000);
  Meet(box);
  std::wstring shown;
  for (HWND h : Descendants(box))
    if (_wcsicmp(ClassOf(h).c_str(), L"Static") == 0) {
      std::wstring t = TextOf(h);
      if (t.size() > shown.size()) shown = t;
    }
  Out("  message " + Quote(TextOf(box)) + ": " + Quote(shown));
  if (TextOf(box) != title)
    Fail("message box title " + Quote(TextOf(box)) + ", expected " + Quote(title));
  bool match = how == "is" ? shown == text : shown.find(text) != std::wstring::npos;
  if (!match) Fail("message " + Quote(shown) + " does not " + how + " " + Quote(text));
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) Fail("message box has no OK button");
  Click(ok);
  if (!Poll([&] { return !IsWindow(box); }, 5000)) Fail("message box did not close");
}

void Driver::SaveAs(const std::wstring& title, const std::wstring& proposed,
                    const std::wstring& path) {
  HWND dlg = nullptr;
  Poll(
      [&] {
        for (HWND h : TopWindows(pi_.dwProcessId, L"#32770"))
          if (DescendantById(h, 0x47C)) dlg = h;
        return dlg != nullptr;
      },
      timeout_);
  if (!dlg) Fail("no save dialog");
  WaitForInputIdle(pi_.hProcess, 5000);
  Meet(dlg);
  if (TextOf(dlg) != title) Fail("save dialog title " + Quote(TextOf(dlg)));
  HWND name = DescendantById(dlg, 0x47C);
  HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
  if (!edit) edit = name;
  if (TextOf(edit) != proposed) Fail("proposed file name " + Quote(TextOf(edit)));
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Click(GetDlgItem(dlg, IDOK));
  if (!Poll([&] { return !IsWindow(dlg); }, 10000)) Fail("save dialog did not close");
}

// Longer than the other waits: a program that opens a file in Notepad on its way out stays in
// ShellExecuteEx until Notepad is idle, which Wine waits for up to 30 s.
void Driver::ExpectExit(DWORD code) {
  if (WaitForSingleObject(pi_.hProcess, 3 * timeout_) != WAIT_OBJECT_0)
    Fail("program still running");
  DWORD got = 0;
  GetExitCodeProcess(pi_.hProcess, &got);
  if (got != code) Fail("exit code " + std::to_string(got) + ", expected " + std::to_string(code));
}

void Driver::CompareEditWithFile(const std::wstring& path) {
  HWND edit = nullptr;
  for (HWND h : Descendants(Current()))
    if (_wcsicmp(ClassOf(h).c_str(), L"Edit") == 0) edit = h;
  if (!edit) Fail("no edit control");
  const std::string bytes = ReadWhole(path);
  std::wstring shown;
  if (!Poll(
          [&] {
            shown = TextOf(edit);
            return shown == Widen(bytes);
          },
          5000))
    Fail("the editor shows " + std::to_string(shown.size()) + " characters, not the " +
         std::to_string(bytes.size()) + " bytes of " + Narrow(path));
}

void Driver::Diagnose() {
  Out("windows on screen:");
  for (HWND top : TopWindows(0, L"")) {
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    Out("  " + Narrow(ClassOf(top)) + " " + Quote(TextOf(top)) + " pid " + std::to_string(pid));
    for (HWND h : Descendants(top))
      Out("    " + Narrow(ClassOf(h)) + " #" + std::to_string(GetDlgCtrlID(h)) + " " +
          Quote(TextOf(h)) + (IsWindowEnabled(h) ? "" : " disabled"));
  }
  try {
    Shot(nullptr, "FAIL-screen");
  } catch (const StepFailed&) {
  }
}

// Quoted for the Unix shell.
std::string ShellWord(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A pattern where ? stands for one character and * for any run of them.
bool Matches(const wchar_t* pattern, const wchar_t* text) {
  if (*pattern == L'*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
  if (!*text) return !*pattern;
  return (*pattern == L'?' || *pattern == *text) && Matches(pattern + 1, text + 1);
}

void Driver::Run(const Words& w) {
  using W = const Words&;
  // Each step: its name, the least number of words it takes (itself included), what it does.
  struct Step {
    const char* name;
    std::size_t words;
    void (*run)(Driver&, W);
  };
  static const Step steps[] = {
      {"resource", 3, [](Driver& d, W w) { d.ReplaceResource(Widen(w[1]), Widen(w[2])); }},
      {"start", 1, [](Driver& d, W) { d.Start(); }},
      {"window", 2,
       [](Driver& d, W w) { d.Meet(d.WaitWindow(d.pi_.dwProcessId, Widen(w[1]), L"")); }},
      {"foreign", 2,
       [](Driver& d, W w) {
         d.Meet(d.WaitWindow(0, Widen(w[1]), w.size() > 2 ? Widen(w[2]) : L""));
       }},
      {"in", 2,
       [](Driver& d, W w) {
         auto shown = TopWindows(d.pi_.dwProcessId, Widen(w[1]));
         if (shown.empty()) Fail("no window " + w[1] + " is shown");
         d.current_ = shown[0];
       }},
      {"gone", 2,
       [](Driver& d, W w) {
         if (!d.Poll([&] { return TopWindows(d.pi_.dwProcessId, Widen(w[1])).empty(); }, 5000))
           Fail("window " + w[1] + " is still shown");
       }},
      {"title", 2,
       [](Driver& d, W w) {
         std::wstring t;
         if (!d.Poll([&] { return (t = TextOf(d.Current())) == Widen(w[1]); }, 5000))
           Fail("title is " + Quote(t));
       }},
      {"has", 2, [](Driver& d, W w) { d.Control(Widen(w[1])); }},
      {"hasprefix", 2, [](Driver& d, W w) { d.ControlByPrefix(Widen(w[1])); }},
      {"lacks", 2,
       [](Driver& d, W w) {
         for (HWND h : Descendants(d.Current()))
           if (TextOf(h) == Widen(w[1])) Fail("control " + Quote(Widen(w[1])) + " is there");
       }},
      {"click", 2, [](Driver& d, W w) { d.Click(d.Control(Widen(w[1]))); }},
      {"check", 3, [](Driver& d, W w) { d.SetCheck(Widen(w[1]), (w[2] == "1")); }},
      {"checked", 3,
       [](Driver& d, W w) {
         LRESULT state = Send(d.Control(Widen(w[1])), BM_GETCHECK, 0, 0);
         if ((state == BST_CHECKED) != (w[2] == "1"))
           Fail(w[1] + " has state " + std::to_string(state));
       }},
      {"enabled", 3,
       [](Driver& d, W w) {
         if ((IsWindowEnabled(d.Control(Widen(w[1]))) != FALSE) != (w[2] == "1"))
           Fail(w[1] + " is not in enabled state " + w[2]);
       }},
      {"clientheight", 2, [](Driver& d, W w) { d.ClientIs(-1, std::stol(w[1])); }},
      {"clientsize", 3, [](Driver& d, W w) { d.ClientIs(std::stol(w[1]), std::stol(w[2])); }},
      {"rect", 6,
       [](Driver& d, W w) {
         RECT r{};
         GetWindowRect(d.Control(Widen(w[1])), &r);
         MapWindowPoints(HWND_DESKTOP, d.Current(), reinterpret_cast<POINT*>(&r), 2);
         const std::string got = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                                 std::to_string(r.right - r.left) + " " +
                                 std::to_string(r.bottom - r.top);
         if (got != w[2] + " " + w[3] + " " + w[4] + " " + w[5]) Fail(w[1] + " is at " + got);
       }},
      {"pick", 2, [](Driver& d, W w) { d.PickLine(Widen(w[1])); }},
      {"selected", 2,
       [](Driver& d, W w) {
         std::wstring shown = TextOf(d.Combo());
         if (!Matches(Widen(w[1]).c_str(), shown.c_str())) Fail("the list shows " + Quote(shown));
         Out("SELECTED " + Narrow(shown));
       }},
      {"message", 4,
       [](Driver& d, W w) {
         if (w[2] != "is" && w[2] != "contains") Fail("say is or contains");
         d.AnswerMessage(Widen(w[1]), w[2], Widen(w[3]));
       }},
      {"save", 4, [](Driver& d, W w) { d.SaveAs(Widen(w[1]), Widen(w[2]), Widen(w[3])); }},
      {"editfile", 2, [](Driver& d, W w) { d.CompareEditWithFile(Widen(w[1])); }},
      {"close", 1,
       [](Driver& d, W) {
         HWND h = d.Current();
         PostMessageW(h, WM_CLOSE, 0, 0);
         if (!d.Poll([&] { return !IsWindow(h); }, d.timeout_)) Fail("window did not close");
         d.current_ = nullptr;
       }},
      {"alive", 1,
       [](Driver& d, W) {
         if (!d.AppRunning()) Fail("the program has ended");
       }},
      {"exit", 2, [](Driver& d, W w) { d.ExpectExit(static_cast<DWORD>(std::stoul(w[1]))); }},
      {"files", 2,
       [](Driver&, W w) {
         ExpectFolder(w[1], {w.begin() + 2, w.end()});
       }},
      {"sh", 2,
       [](Driver& d, W w) {
         if (int rc = d.RunUnix(w[1])) Fail("check failed with status " + std::to_string(rc));
       }},
      {"expect", 1,
       [](Driver& d, W w) {
         if (!d.attempts_.empty()) d.attempts_ += " --then";
         for (std::size_t i = 1; i < w.size(); ++i) d.attempts_ += " " + ShellWord(w[i]);
         const std::size_t cut = d.app_.find_last_of(L'\\') + 1;
         const std::string run =
             "\"$E2E_ORACLE\" check \"$E2E_ARCHIVE\" \"$E2E_WORK\" "
             "\"$E2E_CARD\" \"$E2E_APPDIR\"/" +
             ShellWord(Narrow(d.app_.substr(cut))) + " --start " +
             ShellWord(Narrow(d.app_.substr(0, cut))) +
             " ${E2E_CODEPAGE:+--codepage $E2E_CODEPAGE}" + d.attempts_;
         if (d.RunUnix(run + " >>\"$E2E_WORK/driver.log\" 2>&1") != 0)
           Fail("the card, the log or the settings are not as expected");
       }},
      {"shot", 2, [](Driver& d, W w) { d.Shot(d.Current(), w[1]); }},
  };
  for (const Step& step : steps) {
    if (w[0] != step.name) continue;
    if (w.size() < step.words) Fail(w[0] + " takes " + std::to_string(step.words - 1) + " words");
    return step.run(*this, w);
  }
  Fail("unknown step");
}

// The steps of a file, each with the place it stands ("file:line"); "include <name>" stands for
// the steps of <name>.inc beside the file.
void ReadSteps(const std::wstring& path, std::vector<std::pair<std::string, std::string>>& steps) {
  const std::string bytes = ReadWhole(path);
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
  std::size_t n = 0;
  for (std::size_t start = 0, end; start < bytes.size(); start = end + 1) {
    end = std::min(bytes.find('\n', start), bytes.size());
    std::string line = bytes.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    const std::string where = Narrow(path.substr(folder.size())) + ":" + std::to_string(++n);
    if (line.rfind("include ", 0) == 0) {
      ReadSteps(folder + Widen(line.substr(8)) + L".inc", steps);
    } else if (!line.empty() && line[0] != '#') {
      steps.emplace_back(where, line);
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring app, script;
  std::string shots;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring key = argv[i];
    if (key == L"--app") app = argv[i + 1];
    if (key == L"--script") script = argv[i + 1];
    if (key == L"--shots") shots = Narrow(argv[i + 1]);
  }
  if (app.empty() || script.empty()) {
    Out("usage: driver --app <Setup.exe> --script <steps> [--shots <unix folder>]");
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> steps;
  try {
    ReadSteps(script, steps);
  } catch (const std::exception& e) {
    Out(std::string("FAIL ") + e.what());
    return 1;
  }
  Out("driver " + Narrow(script));
  Driver driver(app, shots);
  for (const auto& [where, line] : steps) {
    try {
      driver.Run(Split(line));
      Out("PASS " + line);
    } catch (const std::exception& e) {
      Out("FAIL " + where + ": " + line);
      Out("     " + std::string(e.what()));
      driver.Diagnose();
      return 1;
    }
  }
  if (driver.AppRunning()) {
    Out("FAIL the program is still running at the end of the script");
    driver.Diagnose();
    return 1;
  }
  Out("PASS all " + std::to_string(steps.size()) + " steps");
  return 0;
}
