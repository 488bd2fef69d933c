// Our AES-128-ECB against OpenSSL's EVP AES-128-ECB on the same 64 KiB.
// OpenSSL takes the AES instructions when the processor has them, else its
// SSSE3 vector-permutation code, else lookup tables as ours does. Run as is;
// with OPENSSL_ia32cap=~0x200000200000000 (AES-NI and PCLMULQDQ masked),
// which only moves OpenSSL to the SSSE3 code; and with
// OPENSSL_ia32cap=~0x200020200000000 (SSSE3 masked as well), which puts it
// on its tables: that run compares like with like.
#include "net/Aes.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr size_t kBytes = 64 * 1024;
const uint8_t kKey[16] = { 0x3A, 0x91, 0x0C, 0x55, 0xE2, 0x17, 0x68, 0xB4, 0x09, 0xCD, 0x7F, 0x20, 0x86, 0x4B, 0xF1, 0x3E };

std::vector<uint8_t> Input()
{
    std::mt19937 random(1);
    std::vector<uint8_t> bytes(kBytes);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

void OurEncrypt(benchmark::State& state)
{
    const auto input = Input();
    std::vector<uint8_t> output(net::AesOutputLength(kBytes));
    net::AesCipher cipher;
    cipher.SetKey(kKey, 128);
    size_t n = 0;
    for (auto _ : state) {
        cipher.AesEncryptEcb(input.data(), kBytes, output.data(), &n);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void OurDecrypt(benchmark::State& state)
{
    const auto input = Input();
    std::vector<uint8_t> output(kBytes);
    net::AesCipher cipher;
    cipher.SetKey(kKey, 128);
    size_t n = 0;
    for (auto _ : state) {
        cipher.AesDecryptEcb(input.data(), kBytes, output.data(), &n);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void OpenSsl(benchmark::State& state, int encrypt)
{
    const auto input = Input();
    std::vector<uint8_t> output(kBytes + 16);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, kKey, nullptr, encrypt);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    int n = 0;
    for (auto _ : state) {
        EVP_CipherUpdate(ctx.get(), output.data(), &n, input.data(), static_cast<int>(kBytes));
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void OpenSslEncrypt(benchmark::State& state)
{
    OpenSsl(state, 1);
}

void OpenSslDecrypt(benchmark::State& state)
{
    OpenSsl(state, 0);
}

} // namespace

BENCHMARK(OurEncrypt);
BENCHMARK(OpenSslEncrypt);
BENCHMARK(OurDecrypt);
BENCHMARK(OpenSslDecrypt);

BENCHMARK_MAIN();
