#pragma once
// SHA-256 of streamed bytes (OpenSSL's libcrypto, which libcurl already uses).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kavro::update {

inline constexpr size_t kSha256HexLength = 64;

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(const void* data, size_t size);
  // Lower-case hexadecimal digest; the object is finished afterwards.
  std::string hexDigest();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::string sha256Hex(std::string_view bytes);

// True for exactly 64 hexadecimal digits (either case).
bool isSha256Hex(const std::string& text);

// Lower-case copy of a digest text, for comparison.
std::string normalizedSha256(const std::string& text);

}  // namespace kavro::update
