#include "update/test_certificate.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace kavro::update {

namespace {

constexpr long kValidFromSeconds = -3600;           // an hour ago, against clock skew
constexpr long kValidForSeconds = 30L * 24 * 3600;  // thirty days
constexpr int kSerialBits = 64;
constexpr char kCurve[] = "P-256";
constexpr char kAuthorityName[] = "Kavro Config local update authority";
constexpr char kServerName[] = "localhost";
constexpr char kServerAltNames[] = "IP:127.0.0.1,IP:::1,DNS:localhost";

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;
using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

std::string openSslError(const char* what) {
  char buf[256];
  ERR_error_string_n(ERR_get_error(), buf, sizeof buf);
  return std::string(what) + ": " + buf;
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (ext == nullptr) return false;
  const bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

bool setSerial(X509* cert) {
  BIGNUM* bn = BN_new();
  bool ok = bn != nullptr && BN_rand(bn, kSerialBits, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
            BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert)) != nullptr;
  BN_free(bn);
  return ok;
}

// A certificate for key named commonName, without extensions and unsigned.
CertPtr newCertificate(EVP_PKEY* key, const char* commonName, X509_NAME* issuerName) {
  CertPtr cert(X509_new(), X509_free);
  if (!cert || X509_set_version(cert.get(), 2) != 1 || !setSerial(cert.get())) return CertPtr(nullptr, X509_free);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), kValidFromSeconds);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidForSeconds);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                             0);
  X509_set_issuer_name(cert.get(), issuerName != nullptr ? issuerName : name);
  X509_set_pubkey(cert.get(), key);
  return cert;
}

bool toPem(X509* cert, EVP_PKEY* key, PemPair* out) {
  BioPtr certBio(BIO_new(BIO_s_mem()), BIO_free);
  BioPtr keyBio(BIO_new(BIO_s_mem()), BIO_free);
  if (!certBio || !keyBio || PEM_write_bio_X509(certBio.get(), cert) != 1 ||
      PEM_write_bio_PrivateKey(keyBio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
    return false;
  }
  char* data = nullptr;
  long n = BIO_get_mem_data(certBio.get(), &data);
  out->certificate.assign(data, static_cast<size_t>(n));
  n = BIO_get_mem_data(keyBio.get(), &data);
  out->privateKey.assign(data, static_cast<size_t>(n));
  return true;
}

}  // namespace

bool makeTestAuthority(TestAuthority* out, std::string* error) {
  KeyPtr caKey(EVP_EC_gen(kCurve), EVP_PKEY_free);
  KeyPtr serverKey(EVP_EC_gen(kCurve), EVP_PKEY_free);
  if (!caKey || !serverKey) return *error = openSslError("key generation"), false;

  CertPtr ca = newCertificate(caKey.get(), kAuthorityName, nullptr);
  if (!ca || !addExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
      !addExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") ||
      X509_sign(ca.get(), caKey.get(), EVP_sha256()) == 0) {
    return *error = openSslError("authority certificate"), false;
  }
  CertPtr server = newCertificate(serverKey.get(), kServerName, X509_get_subject_name(ca.get()));
  if (!server || !addExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE") ||
      !addExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature") ||
      !addExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") ||
      !addExtension(server.get(), ca.get(), NID_subject_alt_name, kServerAltNames) ||
      !addExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always") ||
      X509_sign(server.get(), caKey.get(), EVP_sha256()) == 0) {
    return *error = openSslError("server certificate"), false;
  }
  if (!toPem(ca.get(), caKey.get(), &out->authority) || !toPem(server.get(), serverKey.get(), &out->server)) {
    return *error = openSslError("PEM output"), false;
  }
  return true;
}

}  // namespace kavro::update
