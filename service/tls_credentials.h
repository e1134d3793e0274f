#pragma once

#include <gnutls/abstract.h>

#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace quelmarn::service {

// The service's certificate chain and private key (PEM files), handed to each TLS handshake as it
// starts, so that a renewed certificate is taken up by reload() without a restart and without
// dropping a connection: sessions under way keep the one they began with.
class TlsCredentials {
  public:
    // The GnuTLS priorities every session uses: TLS 1.2 and 1.3 only, GnuTLS's normal ciphers.
    static constexpr const char* kPriorities = "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2";

    // Reads the pair; throws std::runtime_error (Chinese, naming the file) when a file cannot be
    // read, holds no certificate or key, or the key is not the certificate's.
    TlsCredentials(std::string certificatePath, std::string keyPath);
    ~TlsCredentials();
    TlsCredentials(const TlsCredentials&) = delete;
    TlsCredentials& operator=(const TlsCredentials&) = delete;

    // Reads the files again; from the next handshake on, the new pair is used. On failure the
    // pair in use stays and the reason is returned.
    std::optional<std::string> reload();

    // For MHD_OPTION_HTTPS_CERT_CALLBACK: hands the pair in use to a starting handshake.
    static int retrieve(gnutls_session_t session, const gnutls_datum_t* requestedAuthorities,
                        int authorityCount, const gnutls_pk_algorithm_t* algorithms,
                        int algorithmCount, gnutls_pcert_st** chain, unsigned int* chainLength,
                        gnutls_privkey_t* key);

    // The one instance retrieve() serves from (libmicrohttpd passes the callback no context).
    static void serveFrom(TlsCredentials* credentials);

  private:
    struct Pair;
    static std::unique_ptr<Pair> load(const std::string& certificatePath,
                                      const std::string& keyPath);

    std::string certificatePath_;
    std::string keyPath_;
    std::mutex mutex_;
    // Every pair loaded, the one in use last: a session may use its pair until it ends, and
    // renewals are rare enough for the old ones to be kept.
    std::list<std::unique_ptr<Pair>> pairs_;
};

}  // namespace quelmarn::service
