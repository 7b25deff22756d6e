// The wiped digest block, MD5 and hex text over Crypto++.
#include <speaker_link/firmware/secure_crypto_data.h>

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/md5.h>

secure_crypto_data::secure_crypto_data(quarro::u64 size) : buffer_(static_cast<std::size_t>(size))
{
    bytes_ = size > 0 ? buffer_.data() : nullptr;
    size_ = size;
}

// SecByteBlock zeroes its bytes before it frees them.
secure_crypto_data::~secure_crypto_data() = default;

memory::data_ptr<secure_crypto_data>
secure_crypto_data::md5(const memory::data_ptr<memory::data>& block)
{
    if (!block || block->empty())
        return nullptr;
    memory::data_ptr<secure_crypto_data> digest(
        new secure_crypto_data(CryptoPP::Weak1::MD5::DIGESTSIZE));
    CryptoPP::Weak1::MD5 hash;
    hash.Update(block->bytes(), static_cast<std::size_t>(block->size()));
    hash.Final(digest->mutable_bytes());
    return digest;
}

std::string hex_string(const memory::data_ptr<memory::data>& block)
{
    if (!block || block->empty())
        return std::string();
    std::string text;
    CryptoPP::HexEncoder encoder(new CryptoPP::StringSink(text), true, 0);
    encoder.Put(block->bytes(), static_cast<std::size_t>(block->size()));
    encoder.MessageEnd();
    return text;
}
