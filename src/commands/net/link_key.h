// The shared key of signed LINK datagrams: a file of random bytes that both peers hold. The
// configuration keeps only the file's path ("SET" / "LINKKEY").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx {

struct Context;

inline constexpr size_t kNewKeySize = 32;
inline constexpr size_t kShortestKey = 16;

// A key file read: its bytes, or the catalogue key (section LINK) of the reason it cannot
// be used.
struct KeyFile {
  std::optional<std::string> bytes;
  std::u16string_view fault;  // "KEY-UNREADABLE" or "KEY-SHORT"
};
KeyFile ReadKeyFile(Context& ctx, std::u16string_view path);

// The text of a reason of section LINK, for #B of the key answers.
std::u16string KeyFaultText(Context& ctx, std::u16string_view fault);

// The prefix (before the "|") that signs `command` for a peer on `port` with `key`: a new
// nonce and this machine's clock. Nothing when the system gave no random bytes or no tag.
std::optional<std::string> SignFor(Context& ctx, std::string_view key, uint16_t port,
                                   std::string_view command);

}  // namespace qrx
