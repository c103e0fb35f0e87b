#include "support/test_support.h"

#include <wincrypt.h>

namespace nltest {

std::string Sha256Hex(const std::string &bytes)
{
    std::string hex;
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return hex;
    HCRYPTHASH hash = 0;
    if (CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        CryptHashData(hash, (const BYTE *)bytes.data(), (DWORD)bytes.size(), 0);
        BYTE digest[32];
        DWORD size = sizeof digest;
        if (CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
            const char digits[] = "0123456789abcdef";
            for (DWORD i = 0; i < size; ++i) {
                hex.push_back(digits[digest[i] >> 4]);
                hex.push_back(digits[digest[i] & 15]);
            }
        }
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return hex;
}

} // namespace nltest
