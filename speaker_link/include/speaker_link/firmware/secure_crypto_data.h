// A byte block for digests that is wiped before its memory is released, and the MD5 and hex
// text of the firmware package's checksum.
#pragma once

#include <quarro/memory/data.h>

#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/secblock.h>

#include <string>

/// Owns its bytes (a Crypto++ SecByteBlock, zeroed when freed); objects come from a pool of
/// their own. Filled by one thread before it is shared.
class secure_crypto_data final : public memory::data
{
    QUARRO_POOLED_CLASS(secure_crypto_data, 1024, 0)

public:
    /// A block of `size` bytes (no buffer for 0).
    explicit secure_crypto_data(quarro::u64 size);
    ~secure_crypto_data() override;

    quarro::u8* mutable_bytes() noexcept { return bytes_; }

    /// A new 16-byte block holding the MD5 digest of the block's bytes (one reference, the
    /// caller's); null for a null or empty block. Any thread.
    static memory::data_ptr<secure_crypto_data> md5(const memory::data_ptr<memory::data>& block);

private:
    CryptoPP::SecByteBlock buffer_;
};

/// The block as upper-case hexadecimal text, two characters per byte; empty for a null or
/// empty block. Any thread.
std::string hex_string(const memory::data_ptr<memory::data>& block);
