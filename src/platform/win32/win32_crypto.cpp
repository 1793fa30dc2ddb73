#include "platform/win32/win32_api.h"
// (the API header first)

#include <sddl.h>

#include <vector>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

// "D:P(A;;FA;;;<the user's SID>)": full access for the user who runs the program, nobody
// else, nothing inherited from the folder. Empty when the user's SID could not be had.
std::string OwnerOnlyDescriptor() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const win32::ScopedHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
  char* sid_text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid_text)) {
    return {};
  }
  const win32::ScopedLocal sid_owner(sid_text);
  return std::string("D:P(A;;FA;;;") + sid_text + ")";
}

}  // namespace

std::string Win32Platform::HmacSha256(std::string_view key, std::string_view data) {
  if (!hmac_) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
      return {};
    }
    hmac_.Reset(algorithm);
  }
  BCRYPT_HASH_HANDLE raw = nullptr;
  // CNG reads the key and the data without changing them; its parameters are not const.
  auto* key_bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(key.data()));
  if (!Succeeded(BCryptCreateHash(hmac_.Get(), &raw, nullptr, 0, key_bytes,
                                  static_cast<ULONG>(key.size()), 0))) {
    return {};
  }
  const win32::ScopedHash hash(raw);
  std::string tag(kHmacSize, '\0');
  auto* data_bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data.data()));
  if (!Succeeded(BCryptHashData(hash.Get(), data_bytes, static_cast<ULONG>(data.size()), 0)) ||
      !Succeeded(BCryptFinishHash(hash.Get(), reinterpret_cast<PUCHAR>(tag.data()),
                                  static_cast<ULONG>(tag.size()), 0))) {
    return {};
  }
  return tag;
}

std::optional<std::string> Win32Platform::RandomBytes(size_t count) {
  std::string bytes(count, '\0');
  if (!Succeeded(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()),
                                 static_cast<ULONG>(bytes.size()),
                                 BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    return std::nullopt;
  }
  return bytes;
}

bool Win32Platform::WriteSecretFile(std::u16string_view path, std::string_view bytes) {
  const auto target = win32::AnsiZ(*this, path);
  if (!target || target->empty()) return false;
  const std::string descriptor_text = OwnerOnlyDescriptor();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (descriptor_text.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorA(
                                     descriptor_text.c_str(), SDDL_REVISION_1, &descriptor,
                                     nullptr)) {
    return false;
  }
  const win32::ScopedLocal descriptor_owner(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  // A file that is replaced keeps its old access list: the old one goes first, and the new
  // one is created with the owner's list.
  if (!DeleteFileA(target->c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  win32::ScopedHandle file(CreateFileA(target->c_str(), GENERIC_WRITE, 0, &attributes,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.Get()) && file.Close();
}

}  // namespace qrx
