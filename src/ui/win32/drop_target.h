// Drops of files and text on the main window: the shell's file drop (WM_DROPFILES) and OLE
// drag and drop, both turned into the program's DropData.
#pragma once

#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include <functional>
#include <memory>

#include "ui/command_box.h"

namespace qrx::win32 {

// The file list of a shell drop (HDROP).
DropData ReadFileDrop(HDROP drop);

class DropTarget;

// The window's OLE drop target, registered for as long as this object lives. Every drop is
// handed to `on_drop` after it is read; unreadable drops arrive with no file and no text.
class DropRegistration {
 public:
  DropRegistration(HWND window, std::function<void(DropData)> on_drop);
  ~DropRegistration();
  DropRegistration(const DropRegistration&) = delete;
  DropRegistration& operator=(const DropRegistration&) = delete;
  bool registered() const { return registered_; }

 private:
  HWND window_;
  DropTarget* target_;
  bool registered_ = false;
};

}  // namespace qrx::win32
