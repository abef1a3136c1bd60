// Controls built from a constexpr table laid out at 96 DPI: one row per control, linked to
// the core's choices and to each other by id, never by position.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "install/Choices.h"
#include "windows/Gdi.h"

namespace setup::win {

enum class Kind : std::uint8_t { Label, GroupBox, CheckBox, Radio, Button, DropList, Progress };

enum Flag : unsigned {
  kChecked = 1u << 0,       // for rows that are no choice; a choice's tick comes from its table
  kDefault = 1u << 2,       // Enter presses it
  kCancel = 1u << 3,        // Esc presses it
  kClosesOk = 1u << 4,      // ends the modal run with OK after its handler
  kClosesCancel = 1u << 5,  // ends the modal run with Cancel
  kGlyphOk = 1u << 6,
  kGlyphCancel = 1u << 7,
  kNotify = 1u << 8,  // a label that reports its clicks; SS_NOTIFY's bit
  kTerminalFont = 1u << 9,
};

// Table ids below kFirstLocalId are the core's controls (Ctl); a window numbers its own from
// there on.
inline constexpr int kFirstLocalId = 64;
static_assert(kCtlNames.size() <= kFirstLocalId);
// The table's ids never reach Windows: a control's Win32 id (WM_COMMAND's item, DM_SETDEFID) is
// its row plus kFirstItemId, a range of its own, clear of IDOK, IDCANCEL and every table id.
inline constexpr int kFirstItemId = 100;
constexpr int Id(Ctl ctl) {
  return static_cast<int>(ctl);
}
constexpr int Id(Check choice) {
  return static_cast<int>(choice);
}
constexpr bool IsChoiceId(int id) {
  return id >= 0 && id < kCheckCount;
}

struct Rect96 {
  int left, top, width, height;  // width 0: sized to its text
};

struct ControlDef {
  int id;
  Kind kind;
  int parent;  // id of the group box the rect is relative to, -1 for the client area
  Rect96 rect;
  int tab;  // tab order among siblings, -1 for none
  unsigned flags;
  std::string_view caption;
};

// The row of that id, -1 when there is none.
constexpr int RowOf(std::span<const ControlDef> rows, int id) {
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    if (rows[static_cast<std::size_t>(row)].id == id) return row;
  }
  return -1;
}

// Creates the rows' controls in tab order, a group box's members right after it; item i
// belongs to row i. A choice starts with the tick and the enabled state of its table.
std::vector<HWND> CreateControls(HWND parent, std::span<const ControlDef> rows);
// Places, sizes and dresses every control for the DPI, in a client area that is clientWidth
// wide at 96 DPI.
void LayoutControls(std::span<const ControlDef> rows, const std::vector<HWND>& items,
                    const GdiSet& gdi, int dpi, int clientWidth);
// Sizes the row's control to its caption in its own font at the DPI: a label of width 0 takes
// its text's size; a check box or radio button whose mark, gap and text need more than its
// designed width grows to the right. Neither reaches past its parent's edge less the layout's
// margin, nor into a sibling to its right; one whose designed rect already runs under a
// sibling keeps its designed width.
void FitToText(std::span<const ControlDef> rows, const std::vector<HWND>& items, int row,
               const GdiSet& gdi, int dpi, int clientWidth);
// The window text of a window or control.
std::wstring TextOf(HWND hwnd);

}  // namespace setup::win
