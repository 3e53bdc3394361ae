#include "update/sha256.h"

#include <openssl/evp.h>

#include <cctype>
#include <stdexcept>

namespace kavro::update {

struct Sha256::Impl {
  EVP_MD_CTX* ctx = nullptr;
};

Sha256::Sha256() : impl_(std::make_unique<Impl>()) {
  impl_->ctx = EVP_MD_CTX_new();
  if (impl_->ctx == nullptr || EVP_DigestInit_ex(impl_->ctx, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(impl_->ctx);
    throw std::runtime_error("SHA-256 is not available");
  }
}

Sha256::~Sha256() { EVP_MD_CTX_free(impl_->ctx); }

void Sha256::update(const void* data, size_t size) {
  if (size > 0) EVP_DigestUpdate(impl_->ctx, data, size);
}

std::string Sha256::hexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(impl_->ctx, digest, &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    out.push_back(kHex[digest[i] >> 4]);
    out.push_back(kHex[digest[i] & 0x0F]);
  }
  return out;
}

std::string sha256Hex(std::string_view bytes) {
  Sha256 h;
  h.update(bytes.data(), bytes.size());
  return h.hexDigest();
}

bool isSha256Hex(const std::string& text) {
  if (text.size() != kSha256HexLength) return false;
  for (unsigned char c : text) {
    if (!std::isxdigit(c)) return false;
  }
  return true;
}

std::string normalizedSha256(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace kavro::update
