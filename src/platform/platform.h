// The one seam between quorix and the operating system.
//
// Everything the portable code needs from the OS goes through `Platform` (services) and
// `UiHost` (dialogs and the event pump). `Platform` is the sum of one small interface per
// concern, each in its own header; code that needs only a part can take just that part
// (a `Clock&`, a `Files&`). Three families implement them: Win32 (the real APIs), POSIX
// (Linux) and the fakes that the unit tests script.
//
// Text crosses this seam as UTF-16; each implementation converts to the system ANSI code
// page (932 on a Japanese system, always 932 on POSIX) where the OS call or the file format
// wants bytes. File contents are passed as raw bytes (`std::string`).
#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/crypto.h"
#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/media.h"
#include "platform/network.h"
#include "platform/profile_store.h"
#include "platform/program_index.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/text_codec.h"
#include "platform/ui_host.h"

namespace qrx {

// The concerns are virtual bases, so that an implementation may be put together from
// implementations of single concerns (the test fakes are).
class Platform : public virtual TextCodec,
                 public virtual Clock,
                 public virtual Environment,
                 public virtual Files,
                 public virtual ProfileStore,
                 public virtual Clipboard,
                 public virtual Media,
                 public virtual Desktop,
                 public virtual Shell,
                 public virtual Keyboard,
                 public virtual Session,
                 public virtual Network,
                 public virtual ProgramSources,
                 public virtual FolderLister,
                 public virtual Crypto {};

}  // namespace qrx
