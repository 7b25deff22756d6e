// The firmware search worker.
#include "firmware_search.h"

#include "worker_frame.h"

#include <speaker_link/firmware/firmware_service_address.h>
#include <speaker_link/firmware/firmware_service_reply.h>

#include <quarro/err/exception.h>
#include <quarro/http/http_connection.h>
#include <quarro/http/http_error.h>
#include <quarro/log/logbook.h>
#include <quarro/tools/text.h>

namespace {

void search_steps(const firmware_access& access, quarro::i32 time_limit_ms)
{
    dsp_control_callback& callback = access.callback();
    const firmware_access::speaker_facts speaker = access.read_speaker();
    const std::string base = get_firmware_service_address();

    const memory::shared_handle<quarro::http_request> request(new quarro::http_request(
        base + "/wp-json/api/firmware/" + speaker.model + "/latest", time_limit_ms, "GET"));
    memory::shared_handle<quarro::http_response> response;
    memory::data_ptr<memory::data> body;
    // A closing program (a wait given up, or the dsp_control destroyed) must not wait for the
    // service: the request then fails.
    bool finished = false;
    try {
        finished = quarro::perform_http_request(request, response, body, &access.closing());
    } catch (const quarro::error::http_error& error) {
        throw err::runtime_error(std::string("The firmware search failed: ") + error.what());
    }
    if (!finished) {
        callback.firmware_up_to_date(access.control());
        return;
    }
    const char* text = body ? reinterpret_cast<const char*>(body->bytes()) : nullptr;
    const firmware_service_reply reply =
        read_firmware_service_reply(text, text + (body ? body->size() : 0));

    if (quarro::compare_no_case(reply.model_number.value_or(""), speaker.model) != 0) {
        callback.firmware_up_to_date(access.control());
        return;
    }
    // The texts become a folder name and a download address: refuse what can't be either.
    const std::string refused = refuse_firmware_service_reply(reply);
    if (!refused.empty())
        throw err::runtime_error("The firmware service's reply was refused: " + refused);

    const std::string version = reply.version_number.value_or("");
    const firmware_access::answer_taken taken = access.store_service_answer(
        speaker, version, without_backslashes(base + reply.file.value_or("")),
        reply.checksum.value_or(""));
    // Another speaker was read meanwhile: the answer offers it nothing.
    if (taken == firmware_access::answer_taken::newer)
        callback.firmware_update_available(access.control(), version);
    else
        callback.firmware_up_to_date(access.control());
}

} // namespace

void search_firmware(const firmware_access& access, quarro::i32 time_limit_ms) noexcept
{
    run_worker(
        nullptr, access.turns(), quarro::log_level::warning,
        [&] { search_steps(access, time_limit_ms); },
        [&] { access.callback().firmware_search_failed(access.control()); });
}
