// hidapi's C functions, answered by the emulated speaker: link this in place of hidapi, or
// preload the shared build of it, and the program talks to the emulated speaker.
#include "speaker_state.h"

#include <hidapi/hidapi.h>

#include <speaker_link/device/bridge_protocol.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace {

namespace bp = bridge_protocol;
using emulated_speaker::speaker;

constexpr const char* device_path = "emulated-speaker";
constexpr const wchar_t* manufacturer = L"Velk Audio";
constexpr const wchar_t* product = L"Orvik (emulated)";
constexpr const wchar_t* serial_number = L"EMULATED";

speaker::state& state()
{
    return speaker::instance().internals();
}

bool is_our_device(unsigned short vendor, unsigned short product_code)
{
    return (vendor == 0 || vendor == bp::vendor_id) &&
           (product_code == 0 || product_code == bp::product_id);
}

int copy_string(const wchar_t* text, wchar_t* destination, size_t length)
{
    if (destination == nullptr || length == 0)
        return -1;
    std::wcsncpy(destination, text, length);
    destination[length - 1] = L'\0';
    return 0;
}

wchar_t* duplicate(const wchar_t* text)
{
    const size_t size = std::wcslen(text) + 1;
    auto* copy = static_cast<wchar_t*>(std::calloc(size, sizeof(wchar_t)));
    if (copy != nullptr)
        std::wmemcpy(copy, text, size);
    return copy;
}

hid_device_info* new_device_info()
{
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    if (info == nullptr)
        return nullptr;
    info->path = strdup(device_path);
    info->vendor_id = bp::vendor_id;
    info->product_id = bp::product_id;
    info->serial_number = duplicate(serial_number);
    info->manufacturer_string = duplicate(manufacturer);
    info->product_string = duplicate(product);
    info->interface_number = 0;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

struct hid_api_version emulated_version = {0, 13, 1};

} // namespace

// hidapi's export macro is empty on Linux; the preloaded build hides everything else, so these
// are what it offers the program.
#pragma GCC visibility push(default)
extern "C" {

int HID_API_EXPORT hid_init(void)
{
    return 0;
}

int HID_API_EXPORT hid_exit(void)
{
    speaker::state& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.exits;
    return 0;
}

struct hid_device_info HID_API_EXPORT* hid_enumerate(unsigned short vendor_id,
                                                     unsigned short product_id)
{
    speaker::state& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!is_our_device(vendor_id, product_id) || !s.device_reachable())
            return nullptr;
    }
    return new_device_info();
}

void HID_API_EXPORT hid_free_enumeration(struct hid_device_info* devices)
{
    while (devices != nullptr) {
        hid_device_info* next = devices->next;
        std::free(devices->path);
        std::free(devices->serial_number);
        std::free(devices->manufacturer_string);
        std::free(devices->product_string);
        std::free(devices);
        devices = next;
    }
}

HID_API_EXPORT hid_device* hid_open(unsigned short vendor_id, unsigned short product_id,
                                    const wchar_t* serial)
{
    if (vendor_id != bp::vendor_id || product_id != bp::product_id)
        return nullptr;
    if (serial != nullptr && std::wcscmp(serial, serial_number) != 0)
        return nullptr;
    return state().open();
}

HID_API_EXPORT hid_device* hid_open_path(const char* path)
{
    if (path == nullptr || std::strcmp(path, device_path) != 0)
        return nullptr;
    return state().open();
}

int HID_API_EXPORT hid_write(hid_device* device, const unsigned char* data, size_t length)
{
    return state().write(device, data, length);
}

int HID_API_EXPORT hid_read_timeout(hid_device* device, unsigned char* data, size_t length,
                                    int milliseconds)
{
    return state().read(device, data, length, milliseconds);
}

int HID_API_EXPORT hid_read(hid_device* device, unsigned char* data, size_t length)
{
    return state().read(device, data, length, -1);
}

int HID_API_EXPORT hid_set_nonblocking(hid_device* /*device*/, int /*nonblock*/)
{
    return 0;
}

int HID_API_EXPORT hid_send_feature_report(hid_device* /*device*/, const unsigned char* /*data*/,
                                           size_t /*length*/)
{
    return -1;
}

int HID_API_EXPORT hid_get_feature_report(hid_device* /*device*/, unsigned char* /*data*/,
                                          size_t /*length*/)
{
    return -1;
}

int HID_API_EXPORT hid_get_input_report(hid_device* /*device*/, unsigned char* /*data*/,
                                        size_t /*length*/)
{
    return -1;
}

void HID_API_EXPORT hid_close(hid_device* device)
{
    if (device != nullptr)
        state().close(device);
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device* /*device*/, wchar_t* string,
                                                    size_t length)
{
    return copy_string(manufacturer, string, length);
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device* /*device*/, wchar_t* string,
                                               size_t length)
{
    return copy_string(product, string, length);
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device* /*device*/, wchar_t* string,
                                                     size_t length)
{
    return copy_string(serial_number, string, length);
}

int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device* /*device*/, int /*string_index*/,
                                               wchar_t* /*string*/, size_t /*length*/)
{
    return -1;
}

struct hid_device_info HID_API_EXPORT* hid_get_device_info(hid_device* /*device*/)
{
    // The info belongs to the device in hidapi; one shared record serves every handle here.
    static hid_device_info* info = new_device_info();
    return info;
}

HID_API_EXPORT const wchar_t* hid_error(hid_device* device)
{
    if (device == nullptr)
        return L"Success";
    return L"emulated speaker: the device did not take the report";
}

HID_API_EXPORT const struct hid_api_version* hid_version(void)
{
    return &emulated_version;
}

HID_API_EXPORT const char* hid_version_str(void)
{
    return "0.13.1";
}

} // extern "C"
#pragma GCC visibility pop
