#pragma once
// Random bytes and ids, the machine's Ethernet hardware addresses and the
// operating system's version flags.

#include <cstddef>
#include <cstdint>
#include <string>

namespace net {

// Fills n bytes from the kernel's random source; 0 when it cannot be read.
int FillRandomBytes(void* buffer, size_t n);

// Only when buffer holds an empty string: writes 30 lower-case hexadecimal
// digits (the first 30 of 32 random bytes written as hex) and a terminating
// zero, and returns 1. A buffer that holds text, or one smaller than 31
// bytes, is left untouched and gives 0.
int MakeRandomId(char* buffer, size_t capacity);

// Appends each byte as "%02x"; nothing for count <= 0.
void BytesToHex(const uint8_t* bytes, int count, std::string& text);

// Hardware addresses of the machine's Ethernet adapters, copied one after
// another into buffer (each as long as the adapter's address, normally 6
// bytes). Copies only whole addresses that fit in capacity and returns how
// many it copied; -1 when the adapter list cannot be read.
int GetMacAddresses(uint8_t* buffer, size_t capacity);

// Version flags of the host system. The flags describe Windows releases,
// none of which this is, so a successful call sets no version bit; 1.
int GetOsVersionFlags(uint32_t& flags);

} // namespace net
