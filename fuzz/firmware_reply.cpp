// libFuzzer target: the JSON token reader and the firmware search's walk and checks over any
// reply text. Every token must lie inside the input and reading must always move on.
#include <speaker_link/firmware/firmware_service_reply.h>
#include <speaker_link/firmware/json_token.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const char* position = begin;
    for (std::size_t steps = 0; steps <= size + 1; ++steps) {
        const char* next = nullptr;
        const json_token token = next_json_token(position, end, next);
        if (token.text < begin || token.text + token.length > end || next < position || next > end)
            std::abort();
        if (token.kind == json_token_kind::none)
            break;
        position = next;
    }
    const firmware_service_reply reply = read_firmware_service_reply(begin, end);
    (void)refuse_firmware_service_reply(reply);
    return 0;
}
