// Plain data the application hands to the window system: the menus it draws, the
// contents of the current-line dialog, the font choice, the desktop it runs on. The
// platform draws and edits this data; it never decides what an item means.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

// One menu entry (or a whole menu: the root's items are the menu bar or the popup).
// Captions are Shift-JIS with the '&' accelerator mark, exactly as the item reads.
struct MenuItem {
  std::string name;      // component name, e.g. "MnQLoad"; also the widget id
  std::string caption;   // Shift-JIS
  std::string shortcut;  // shown beside the caption, e.g. "Shift+F1"
  bool separator = false;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  bool radio = false;  // drawn as a radio mark when checked
  std::vector<MenuItem> items;
  std::function<void()> onClick;

  // Depth-first search by component name; nullptr when absent.
  MenuItem* find(std::string_view itemName);
  const MenuItem* find(std::string_view itemName) const;
};

// The caption as a menu shows it: "&&" becomes "&", a single '&' (the accelerator
// mark) is dropped.
std::string menuDisplayText(std::string_view caption);

// The current-line dialog ("デバッグ"): also the face of every script error.
struct DebugFormData {
  std::string lineText;                // EdLine, Shift-JIS
  std::vector<std::string> memo;       // Memo, one entry per line, Shift-JIS
  std::string background;              // EdBg
  std::string sprites[4];              // EdSp0..EdSp3
  std::string bgm, se, voice;          // EdBgm, EdSe, EdVo
  bool unreadButton = false;           // BtUnread shown (debug mode)
  // BtUnread: the new memo lines of the unread search.
  std::function<std::vector<std::string>()> findUnread;
};

// The report of a script error as the dialog shows it: the line field "%s (%d)" and
// the memo "スクリプトエラー", the message, a blank and the detail, the line text.
DebugFormData scriptErrorForm(std::string_view message, std::string_view detail,
                              std::string_view fileName, int lineNumber,
                              std::string_view lineText);

// The font dialog's choice: a face (Shift-JIS) and its style set.
struct FontChoice {
  std::string face;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
};

// A modal dialog with one line of text to edit (the save comment): its captions and the
// text, all Shift-JIS. The window runs the filter on the text after every change, as
// the player types; the filter keeps the text within the dialog's limits.
struct TextEntryForm {
  std::string name;                 // component name, e.g. "TComForm"; also the widget id
  std::string caption;              // window caption
  std::vector<std::string> labels;  // lines above the edit
  std::string editLabel;            // beside the edit
  std::string editName;             // the edit's component name, e.g. "EdComment"
  std::string text;                 // the edit: proposed on entry, typed on OK
  std::function<std::string(std::string_view)> filter;
};

// The desktop the window lives on, as the start-up check sees it.
struct DesktopMode {
  int width = 1024;
  int height = 768;
  int bitsPerPixel = 32;
};

}  // namespace ml
