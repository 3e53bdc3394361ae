#pragma once
// Certificates made at run time for the local update service: a fresh
// certificate authority and a server certificate it signed for the loopback
// addresses. Clients trust the service by trusting that authority's file.
#include <string>

namespace kavro::update {

struct PemPair {
  std::string certificate;  // PEM
  std::string privateKey;   // PEM (PKCS #8)
};

struct TestAuthority {
  PemPair authority;  // self-signed, CA:TRUE
  PemPair server;     // for 127.0.0.1, ::1 and localhost, signed by authority
};

// Makes a new authority and server certificate (P-256 keys, valid from an
// hour ago for 30 days). Returns false with *error when OpenSSL fails.
bool makeTestAuthority(TestAuthority* out, std::string* error);

}  // namespace kavro::update
