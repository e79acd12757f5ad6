#include "rdap/tls_fault_win.h"

#include <wincrypt.h>
#include <winhttp.h>

#include "handles/winhttp_handle_win.h"

namespace {

// The fault of a certificate for `host`, in WinHTTP's terms; 0 for none.
DWORD CertificateFault(PCCERT_CONTEXT cert, const wchar_t *host)
{
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    char *usages[] = {serverAuth};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr,
                                 &chain))
        return ERROR_WINHTTP_SECURE_INVALID_CERT;
    DWORD fault = 0;
    const DWORD status = chain->TrustStatus.dwErrorStatus;
    if (status & CERT_TRUST_IS_REVOKED)
        fault = ERROR_WINHTTP_SECURE_CERT_REVOKED;
    else if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
                       CERT_TRUST_IS_NOT_SIGNATURE_VALID))
        fault = ERROR_WINHTTP_SECURE_INVALID_CA;
    else if (status & CERT_TRUST_IS_NOT_TIME_VALID)
        fault = ERROR_WINHTTP_SECURE_CERT_DATE_INVALID;
    else if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
        fault = ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE;
    else if (status != 0)
        fault = ERROR_WINHTTP_SECURE_INVALID_CERT;
    if (fault == 0) {
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = const_cast<wchar_t *>(host);
        CERT_CHAIN_POLICY_PARA policy = {};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS verdict = {};
        verdict.cbSize = sizeof verdict;
        if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict))
            fault = ERROR_WINHTTP_SECURE_INVALID_CERT;
        else if (verdict.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
            fault = ERROR_WINHTTP_SECURE_CERT_CN_INVALID;
        else if (verdict.dwError != 0)
            fault = ERROR_WINHTTP_SECURE_INVALID_CERT;
    }
    CertFreeCertificateChain(chain);
    return fault;
}

}  // namespace

DWORD FindTlsFault(HINTERNET session, const wchar_t *host, INTERNET_PORT port, int waitMs)
{
    WinHttpHandle connection(WinHttpConnect(session, host, port, 0));
    if (!connection)
        return ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
    WinHttpHandle request(WinHttpOpenRequest(connection.Get(), L"HEAD", L"/", nullptr,
                                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                             WINHTTP_FLAG_SECURE));
    if (!request)
        return ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
    DWORD letThrough = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                       SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                       SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &letThrough, sizeof letThrough);
    DWORD features = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);
    WinHttpSetTimeouts(request.Get(), waitMs, waitMs, waitMs, waitMs);
    // The handshake is over once the request is sent; its answer is not read.
    if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
    PCCERT_CONTEXT cert = nullptr;
    DWORD size = sizeof cert;
    if (!WinHttpQueryOption(request.Get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &cert, &size) ||
        cert == nullptr)
        return ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
    const DWORD fault = CertificateFault(cert, host);
    CertFreeCertificateContext(cert);
    return fault != 0 ? fault : static_cast<DWORD>(ERROR_WINHTTP_SECURE_CHANNEL_ERROR);
}
