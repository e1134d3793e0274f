#include "service/tls_credentials.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace quelmarn::service {

namespace {

// A chain longer than this is not one a site's certificate authority issues.
constexpr unsigned kMaxChainLength = 16;

// libmicrohttpd hands the certificate callback no context: the instance it serves from.
std::atomic<TlsCredentials*> served{nullptr};

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open())
        throw std::runtime_error("无法打开 " + path);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw std::runtime_error("无法读取 " + path);
    return text;
}

gnutls_datum_t datumOf(std::string& text) {
    return gnutls_datum_t{reinterpret_cast<unsigned char*>(text.data()),
                          static_cast<unsigned>(text.size())};
}

void check(int result, const std::string& doing) {
    if (result < 0)
        throw std::runtime_error(doing + "：" + gnutls_strerror(result));
}

}  // namespace

struct TlsCredentials::Pair {
    std::vector<gnutls_pcert_st> chain;
    gnutls_privkey_t key = nullptr;

    ~Pair() {
        for (auto& certificate : chain)
            gnutls_pcert_deinit(&certificate);
        if (key != nullptr)
            gnutls_privkey_deinit(key);
    }
};

std::unique_ptr<TlsCredentials::Pair> TlsCredentials::load(const std::string& certificatePath,
                                                           const std::string& keyPath) {
    std::string certificateText = readFile(certificatePath);
    std::string keyText = readFile(keyPath);
    gnutls_datum_t certificate = datumOf(certificateText);
    gnutls_datum_t key = datumOf(keyText);
    // GnuTLS checks here that the key belongs to the certificate, which the handshake callback
    // would not: a mismatched pair would fail every handshake.
    gnutls_certificate_credentials_t trial = nullptr;
    check(gnutls_certificate_allocate_credentials(&trial), "无法检查证书");
    const int matched = gnutls_certificate_set_x509_key_mem2(trial, &certificate, &key,
                                                             GNUTLS_X509_FMT_PEM, nullptr, 0);
    gnutls_certificate_free_credentials(trial);
    check(matched, "证书 " + certificatePath + " 与私钥 " + keyPath + " 无法使用");

    auto pair = std::make_unique<Pair>();
    unsigned length = kMaxChainLength;
    pair->chain.resize(length);
    check(gnutls_pcert_list_import_x509_raw(pair->chain.data(), &length, &certificate,
                                            GNUTLS_X509_FMT_PEM, 0),
          "无法读取证书 " + certificatePath);
    pair->chain.resize(length);
    check(gnutls_privkey_init(&pair->key), "无法读取私钥 " + keyPath);
    check(gnutls_privkey_import_x509_raw(pair->key, &key, GNUTLS_X509_FMT_PEM, nullptr, 0),
          "无法读取私钥 " + keyPath);
    return pair;
}

TlsCredentials::TlsCredentials(std::string certificatePath, std::string keyPath)
    : certificatePath_(std::move(certificatePath)), keyPath_(std::move(keyPath)) {
    pairs_.push_back(load(certificatePath_, keyPath_));
}

TlsCredentials::~TlsCredentials() {
    TlsCredentials* self = this;
    served.compare_exchange_strong(self, nullptr);
}

std::optional<std::string> TlsCredentials::reload() {
    try {
        auto pair = load(certificatePath_, keyPath_);
        const std::lock_guard lock(mutex_);
        pairs_.push_back(std::move(pair));
        return std::nullopt;
    } catch (const std::runtime_error& error) {
        return error.what();
    }
}

void TlsCredentials::serveFrom(TlsCredentials* credentials) {
    served = credentials;
}

int TlsCredentials::retrieve(gnutls_session_t, const gnutls_datum_t*, int,
                             const gnutls_pk_algorithm_t*, int, gnutls_pcert_st** chain,
                             unsigned int* chainLength, gnutls_privkey_t* key) {
    TlsCredentials* credentials = served.load();
    if (credentials == nullptr)
        return -1;
    const std::lock_guard lock(credentials->mutex_);
    Pair& pair = *credentials->pairs_.back();
    *chain = pair.chain.data();
    *chainLength = static_cast<unsigned>(pair.chain.size());
    *key = pair.key;
    return 0;
}

}  // namespace quelmarn::service
