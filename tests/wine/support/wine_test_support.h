// Test-side toolkit of the Wine tests: scratch folders and files, child processes, waiting,
// window lookup, a mouse-target process that records the mouse messages it receives, and input.
//
// How a test uses it (link the CMake target `quillon_wine_support`, include this header):
//
//   Files.  BinDirectory() is the folder of the running test program (ends in '\'); it holds
//   Latchkin.dll, Quillon.exe, Quillrun.exe and mouse_target.exe. MakeScratchFolder(L"name")
//   gives an empty %TEMP%\quillon-tests\name\ (an old one of that name is deleted first).
//   Write profiles with WriteFileBytes(path, Utf16LeWithBom(L"[Main]\r\n...")): Windows reads a
//   profile as Unicode only when it starts with the UTF-16LE byte-order mark.
//
//   Processes.  ChildProcess::Start(exe, args, workingDir) starts a program (check Started());
//   WaitForExit(ms) then ExitCode(). A ChildProcess that is destroyed while its program still
//   runs kills it, and every child sits in a kill-on-close job, so even a crashed test leaves
//   nothing behind.
//
//   Waiting.  WaitUntil(condition, timeoutMs) polls and pumps this thread's messages; use it
//   for everything that happens "soon" (a window appears, a file grows) with timeouts of
//   seconds, never a bare Sleep racing a threshold. FindTopWindowOfProcess(pid, className,
//   timeoutMs) waits for a top-level window of a process (class null: the first visible one).
//
//   Mouse.  MouseTarget target; ASSERT_TRUE(target.Start());  shows a topmost 300x300 window
//   (class style CS_DBLCLKS) in its own process, brings it to the foreground and puts the
//   cursor on it. Then:
//       target.MoveToFreshPoint();               // a click here never pairs with an older one
//       SendClick(MouseButton::Left);            // or SendButton / SendWheel / SendDoubleClick
//       EXPECT_EQ(target.Received(), (std::vector<ReceivedMessage>{
//           {WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}));
//   Received() first waits until the target has retrieved every mouse message queued for it,
//   so it is complete without any sleep; ClearReceived() empties the record. The target is a
//   separate process on purpose: a hook installed by the test process sees the target's
//   messages as another process's input.
//
//   Timing for a hook (which reads the clock when the target retrieves a message):
//       target.Play({ButtonStep(MouseButton::Left, true),
//                    ButtonStep(MouseButton::Left, false),         // pause 0: right behind it
//                    ButtonStep(MouseButton::Left, true, 600)});   // at least 600 ms later
//   A step with a pause waits until the target has retrieved everything before it and then
//   the pause, so the hook measures at least that pause; a step without one is injected at
//   once and retrieved right behind the previous step, usually within a millisecond or two.
//   A loaded machine stretches both, so choose intervals that leave hundreds of milliseconds
//   either way (e.g. an interval of 300 ms, gaps of 0 and 600 ms).
//
//   Other windows: input goes to the window under the cursor, so a test that opened windows
//   of its own over the target calls target.Activate() (foreground, focus, cursor on it)
//   before it clicks. Wine, like Windows 10 by default, also sends the wheel to the window
//   under the cursor; older Windows sends it to the focus, which Activate() covers as well.
//   Two targets at different positions (Start(left, top)) are two processes. A target
//   answers SendMessageTimeout(WM_NULL) on Window() for as long as its thread is not stuck;
//   Received() still reads what it recorded after it died.
//
//   Wine: SendInput has queued the message for the target's thread when it returns, so
//   Received() is complete at once. Windows: SendInput hands the input to the system's input
//   thread, which queues it a little later; call SettleInput() before Received() there.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// ---- Files and folders --------------------------------------------------------------------

// Folder of the running test program, with a trailing backslash.
std::wstring BinDirectory();
// A fresh, empty folder %TEMP%\quillon-tests\<name>\ (trailing backslash); empty on failure.
std::wstring MakeScratchFolder(const wchar_t* name);
// Deletes a folder and everything below it, read-only files included. Missing is fine.
void RemoveFolder(const std::wstring& folder);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole file; empty when it is missing or unreadable.
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// UTF-16LE bytes preceded by the byte-order mark FF FE.
std::string Utf16LeWithBom(const std::wstring& text);
// Copies a file into a folder (trailing backslash optional) under its own name, replacing.
bool CopyInto(const std::wstring& file, const std::wstring& folder);
// Whether a new file can be made in the folder (trailing backslash); the probe is removed.
bool CanCreateFileIn(const std::wstring& folder);
// The file's identity (its index); the same file emptied keeps it. 0 when it cannot be read.
ULONGLONG FileIndex(const std::wstring& path);

// Closes a folder to new files while the files in it stay writable, for as long as it lives: what
// the folder of an install under Program Files is to an ordinary user who may change only some
// of its files. Windows: an access list that denies adding files. Wine enforces no access lists
// and the bench runs as root, so there the Unix immutable attribute does it (chattr; the file
// system must keep the attribute and the bench must have the right to set it). Closed() says
// whether it worked; a test that needs it skips with a note on a machine where it does not.
class FolderClosedToNewFiles {
 public:
  explicit FolderClosedToNewFiles(const std::wstring& folder);
  ~FolderClosedToNewFiles();  // opens the folder again
  FolderClosedToNewFiles(const FolderClosedToNewFiles&) = delete;
  FolderClosedToNewFiles& operator=(const FolderClosedToNewFiles&) = delete;
  bool Closed() const { return closed_; }

 private:
  std::wstring folder_;
  std::wstring unixPath_;
  bool closed_ = false;
};

// ---- Child processes ----------------------------------------------------------------------

class ChildProcess {
 public:
  // Starts exePath with the given arguments (the program name is quoted and prepended);
  // an empty working directory inherits this process's.
  static ChildProcess Start(const std::wstring& exePath, const std::wstring& arguments,
                            const std::wstring& workingDirectory);

  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  // CreateProcessW's error when Start failed.
  DWORD StartError() const { return startError_; }
  bool Running() const;
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }
  // True when the program has ended within ms.
  bool WaitForExit(DWORD ms);
  // STILL_ACTIVE while running.
  DWORD ExitCode() const;
  // Terminates a running program and waits for it to be gone.
  void Kill();

 private:
  void Close();
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD startError_ = 0;
};

// ---- Waiting and windows ------------------------------------------------------------------

// Polls condition until it holds or timeoutMs passes, pumping this thread's messages meanwhile.
// Returns the condition's last answer (checked once more at the deadline).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 20);
// Pumps this thread's messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);
// A top-level window of the process: of that class (visible or not), or with className null
// the first visible one. Waits up to timeoutMs; null when none appears.
HWND FindTopWindowOfProcess(DWORD pid, const wchar_t* className, DWORD timeoutMs);

// ---- Mouse input --------------------------------------------------------------------------

enum class MouseButton { Left, Right, Middle, X1, X2 };

// Puts the cursor on a screen point (synchronously: the next injected button uses it).
void MoveCursorTo(POINT screenPoint);
void SendButton(MouseButton button, bool down);
// The transition and `bounces` times the opposite one and the transition again, in one call.
void SendBouncingButton(MouseButton button, bool down, int bounces);
// One wheel event; 120 is one notch away from the user, -120 one notch towards.
void SendWheel(int delta);
// Press and release in one injection.
void SendClick(MouseButton button);
// Two clicks in one injection, well inside the double-click time: the second press arrives
// as a double click in a window whose class has CS_DBLCLKS.
void SendDoubleClick(MouseButton button);
// Lets injected input be delivered: pumps this thread's messages and sleeps for ms.
void SettleInput(DWORD ms = 200);

// One step of MouseTarget::Play.
struct InputStep {
  enum class Kind { Button, Wheel } kind;
  MouseButton button;
  bool down;
  int wheelDelta;
  // 0: injected right behind the previous step. Else waited after the target has retrieved
  // the previous step.
  DWORD pauseBeforeMs;
  // A button that bounces: after its transition, this many times the opposite one and the
  // transition again, all in the same SendInput call, so the system stamps them within a
  // millisecond or so of each other.
  int bounces = 0;
  // The pause counts from the previous step's injection instead: the target may still be
  // retrieving it (a hook holding a press), as a phantom press released a few ms later.
  bool fromInjection = false;
};
InputStep ButtonStep(MouseButton button, bool down, DWORD pauseBeforeMs = 0);
InputStep ButtonStepAfterInjection(MouseButton button, bool down, DWORD pauseMs);
InputStep BouncingButtonStep(MouseButton button, bool down, int bounces, DWORD pauseBeforeMs = 0);
InputStep WheelStep(int delta, DWORD pauseBeforeMs = 0);

// ---- The mouse-target process -------------------------------------------------------------

struct ReceivedMessage {
  UINT message;    // WM_L/R/M/XBUTTONDOWN, UP or DBLCLK, or WM_MOUSEWHEEL
  int wheelDelta;  // signed wheel delta for WM_MOUSEWHEEL, the side button (1 or 2) for
                   // WM_XBUTTON*, else 0
};
bool operator==(const ReceivedMessage& a, const ReceivedMessage& b);
bool operator!=(const ReceivedMessage& a, const ReceivedMessage& b);
// "WM_LBUTTONDOWN", "WM_MOUSEWHEEL(-120)": readable failure output.
std::ostream& operator<<(std::ostream& out, const ReceivedMessage& message);
std::string Describe(const std::vector<ReceivedMessage>& messages);

namespace mouse_target {
struct Record;
}

class MouseTarget {
 public:
  static constexpr int kDefaultLeft = 700;
  static constexpr int kDefaultTop = 200;
  static constexpr int kSize = 300;

  MouseTarget() = default;
  ~MouseTarget() { Stop(); }
  MouseTarget(const MouseTarget&) = delete;
  MouseTarget& operator=(const MouseTarget&) = delete;

  // Starts mouse_target.exe (or a copy of it at exePath, for a program of another name) with
  // its window at (left, top), waits until it shows, activates it and puts the cursor on its
  // centre. False (and nothing left running) on failure.
  bool Start(int left = kDefaultLeft, int top = kDefaultTop, const std::wstring& exePath = L"");
  void Stop();
  bool Running() const { return process_.Running(); }

  HWND Window() const { return window_; }
  DWORD Pid() const { return process_.Pid(); }
  std::wstring ExePath() const;
  POINT Center() const;
  // Brings the window to the foreground and focus, on top, with the cursor on Center().
  bool Activate();
  // Moves the cursor to another point of the window, far enough from the previous one that
  // the next click can not pair with an earlier click into a double click.
  POINT MoveToFreshPoint();

  // Waits until the target has retrieved every mouse message queued for it (true), or
  // timeoutMs passed or the target is gone (false).
  bool WaitUntilIdle(DWORD timeoutMs = 5000);
  // Everything recorded since the start or the last ClearReceived, in order of arrival.
  std::vector<ReceivedMessage> Received();
  // When each of them reached the window procedure, in ms on the QueryPerformanceCounter clock
  // (the same in every process; for benchmarks, never for timed assertions).
  std::vector<double> ReceivedAtMs();
  // Messages the record had no room for (it holds tens of thousands).
  uint32_t Dropped() const;
  void ClearReceived();
  // Injects the steps in order (see InputStep::pauseBeforeMs) and waits until the target has
  // retrieved them all; false when the target stopped answering.
  bool Play(const std::vector<InputStep>& steps);

 private:
  // The record once the target has retrieved all queued input, and how many entries it holds
  // (0 and null before the start).
  const mouse_target::Record* Settled(long& count);

  ChildProcess process_;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  HWND window_ = nullptr;
  int left_ = kDefaultLeft;
  int top_ = kDefaultTop;
  int freshIndex_ = 0;
  std::wstring exePath_;  // empty: mouse_target.exe beside the tests
};
