// Message rules of the file errors.
#include <quarro/files/file_error.h>
#include <quarro/tools/number_text.h>

namespace files::error {
namespace {

std::string file_message(std::string message, const std::string& full_path, const std::string& name)
{
    if (!full_path.empty())
        message += "\nfull path: \"" + full_path + "\"";
    if (!name.empty())
        message += "\nfile/folder name: \"" + name + "\"";
    return message;
}

std::string file_path_message(const std::string& message, const std::string& full_path,
                              const std::string& name, quarro::i32 error_id)
{
    std::string text = file_message(message, full_path, name);
    if (error_id != 0) {
        text += "\nerror id: ";
        quarro::append_number(text, error_id, 1);
    }
    return text;
}

} // namespace

file::file(const std::string& message, const std::string& full_path, const std::string& name)
    : file(prebuilt_message{}, file_message(message, full_path, name), full_path, name)
{}

file::file(const char* message, const std::string& full_path, const std::string& name)
    : file(std::string(message ? message : ""), full_path, name)
{}

file::file(prebuilt_message, std::string message, const std::string& full_path,
           const std::string& name)
    : err::runtime_error(std::move(message)), full_path_(full_path), name_(name)
{}

file_path::file_path(const std::string& message, const std::string& full_path,
                     const std::string& name, quarro::i32 error_id)
    : file(prebuilt_message{}, file_path_message(message, full_path, name, error_id), full_path,
           name),
      error_id_(error_id)
{}

} // namespace files::error
