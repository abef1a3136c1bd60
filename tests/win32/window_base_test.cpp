// The window base driven through its real modal run: keys are posted to the focused control
// and go through the same loop the program's dialogs use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows/Window.h"

namespace setup::win {
namespace {

constexpr int kBoxA = kFirstLocalId, kBoxB = kFirstLocalId + 1, kGroup = kFirstLocalId + 2,
              kInner1 = kFirstLocalId + 3, kInner2 = kFirstLocalId + 4, kOk = kFirstLocalId + 5,
              kCancelId = kFirstLocalId + 6;

int okClicks = 0, cancelClicks = 0;
bool endInHandler = false;

// Rows out of tab order on purpose; the group box's members follow it, in their own order.
constexpr ControlDef kRows[] = {
    {kCancelId, Kind::Button, -1, {120, 100, 80, 25}, 4, kCancel | kClosesCancel, "Cancel"},
    {kBoxA, Kind::CheckBox, -1, {8, 8, 100, 17}, 2, 0, "A"},
    {kInner2, Kind::CheckBox, kGroup, {8, 40, 100, 17}, 1, 0, "Inner 2"},
    {kGroup, Kind::GroupBox, -1, {8, 30, 200, 65}, 1, 0, "Group"},
    {kOk, Kind::Button, -1, {30, 100, 80, 25}, 0, kDefault | kClosesOk, "OK"},
    {kBoxB, Kind::CheckBox, -1, {110, 8, 100, 17}, 3, 0, "B"},
    {kInner1, Kind::CheckBox, kGroup, {8, 16, 100, 17}, 0, 0, "Inner 1"},
};

constexpr WindowDef kDef{L"TWindowBaseTest", "Base", Frame::Dialog, 210, 130, kRows};

// Plays a script of posted messages inside the modal run, one step per WM_APP, so that each
// step sees the effect of the one before; records the focused control before every step.
class Scripted : public Window {
 public:
  Scripted(App& app) : Window(app, kDef) {}
  std::vector<UINT> keys;  // VK_ codes, or 0 for the close box
  std::vector<std::string> focus;
  bool scriptDone = false;

  void Play() { PostMessageW(Handle(), WM_APP, 0, 0); }

 protected:
  void OnCommand(int id, unsigned) override {
    if (id == kOk) {
      ++okClicks;
      if (endInHandler) app().RequestEnd();
    }
    if (id == kCancelId) ++cancelClicks;
  }
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg != WM_APP) return false;
    focus.push_back(ToUtf8(TextOf(GetFocus())));
    if (next_ == keys.size()) {
      scriptDone = true;
      // Nothing closed the run: the close box ends it.
      PostMessageW(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (const UINT key = keys[next_++]; key == 0) {
      PostMessageW(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
      PostMessageW(GetFocus(), WM_KEYUP, key, 0);
      PostMessageW(Handle(), WM_APP, 0, 0);
    }
    result = 0;
    return true;
  }

 private:
  std::size_t next_ = 0;
};

class WindowBase : public ::testing::Test {
 protected:
  void SetUp() override {
    okClicks = cancelClicks = 0;
    endInHandler = false;
    window.Create(nullptr);
  }
  void TearDown() override {
    // Whatever the run left posted (and the quit message of an end request) goes with it.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  App app{"Window base"};
  Scripted window{app};
};

TEST_F(WindowBase, TabFollowsTheTabColumnAndTheGroupsMembersFollowTheirBox) {
  window.keys = {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB};
  window.Play();
  EXPECT_FALSE(window.RunModal());
  EXPECT_EQ(window.focus,
            (std::vector<std::string>{"OK", "Inner 1", "Inner 2", "A", "B", "Cancel", "OK"}));
  EXPECT_TRUE(window.scriptDone);
}

TEST_F(WindowBase, EnterPressesTheEnabledDefaultButton) {
  window.keys = {VK_TAB, VK_RETURN};  // from a check box, not the button itself
  window.Play();
  EXPECT_TRUE(window.RunModal());
  EXPECT_EQ(window.focus, (std::vector<std::string>{"OK", "Inner 1"}));
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(window.scriptDone);
}

TEST_F(WindowBase, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
  window.Enable(kOk, false);
  window.keys = {VK_RETURN, VK_RETURN};
  window.Play();
  EXPECT_FALSE(window.RunModal());
  EXPECT_EQ(okClicks, 0);
  EXPECT_EQ(cancelClicks, 0);
  EXPECT_TRUE(window.scriptDone) << "the run ended before the close box";
}

TEST_F(WindowBase, EscPressesCancel) {
  window.keys = {VK_ESCAPE};
  window.Play();
  EXPECT_FALSE(window.RunModal());
  EXPECT_EQ(cancelClicks, 1);
  EXPECT_EQ(okClicks, 0);
  EXPECT_FALSE(window.scriptDone);
}

TEST_F(WindowBase, TheCloseBoxEndsTheRunWithCancel) {
  window.keys = {0};
  window.Play();
  EXPECT_FALSE(window.RunModal());
  EXPECT_EQ(window.focus.size(), 1u);
  EXPECT_EQ(okClicks, 0);
  EXPECT_FALSE(window.scriptDone);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST_F(WindowBase, AfterAnEndRequestTheNextModalRunReturnsCancelAtOnce) {
  endInHandler = true;
  window.keys = {VK_RETURN};
  window.Play();
  EXPECT_FALSE(window.RunModal()) << "OK pressed, but the end was requested";
  EXPECT_EQ(okClicks, 1);
  ASSERT_TRUE(app.EndRequested());
  window.focus.clear();
  window.Play();
  EXPECT_FALSE(window.RunModal());
  EXPECT_TRUE(window.focus.empty()) << "the second run dispatched messages";
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

}  // namespace
}  // namespace setup::win
