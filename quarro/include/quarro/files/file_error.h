// File errors: their messages fold the full path and the item's name into the text.
#pragma once

#include <quarro/err/exception.h>
#include <quarro/types.h>

#include <string>

namespace files::error {

/// A file error. what() is the message, then "full path" and "file/folder name" lines
/// for the parts that are not empty.
class file : public err::runtime_error
{
public:
    file(const std::string& message, const std::string& full_path, const std::string& name);
    file(const char* message, const std::string& full_path, const std::string& name);

    const std::string& full_path() const noexcept { return full_path_; }
    const std::string& name() const noexcept { return name_; }

protected:
    /// For subclasses that have built the whole message themselves.
    struct prebuilt_message
    {};
    file(prebuilt_message, std::string message, const std::string& full_path,
         const std::string& name);

private:
    std::string full_path_;
    std::string name_;
};

/// A file error about a path; a non-zero error id adds an "error id" line.
class file_path : public file
{
public:
    file_path(const std::string& message, const std::string& full_path, const std::string& name,
              quarro::i32 error_id);

    quarro::i32 error_id() const noexcept { return error_id_; }

private:
    quarro::i32 error_id_;
};

class file_not_found : public file_path
{
public:
    file_not_found(const std::string& message, const std::string& full_path,
                   const std::string& name)
        : file_path(message, full_path, name, 0)
    {}
};

class folder_not_found : public file_path
{
public:
    folder_not_found(const std::string& message, const std::string& full_path,
                     const std::string& name)
        : file_path(message, full_path, name, 0)
    {}
};

class cannot_resolve_file : public file_path
{
public:
    cannot_resolve_file(const std::string& message, const std::string& full_path,
                        const std::string& name)
        : file_path(message, full_path, name, 0)
    {}
};

class cannot_open_file : public file
{
public:
    cannot_open_file(const std::string& message, const std::string& full_path)
        : file(message, full_path, std::string())
    {}
};

/// A write that the system refused; error_number() is its errno (0: not known), for a
/// caller that names the file and wants the system's own words for the reason.
class write_failure : public file
{
public:
    write_failure(const std::string& message, int error_number)
        : file(message, std::string(), std::string()), error_number_(error_number)
    {}

    int error_number() const noexcept { return error_number_; }

private:
    int error_number_;
};

class cannot_write_to_file : public write_failure
{
public:
    explicit cannot_write_to_file(const std::string& message, int error_number = 0)
        : write_failure(message, error_number)
    {}
};

class not_enough_disk_space : public write_failure
{
public:
    explicit not_enough_disk_space(const std::string& message, int error_number = 0)
        : write_failure(message, error_number)
    {}
};

} // namespace files::error
