#pragma once
// The one error type of file work: a file that could not be opened, read, created or written.
#include <stdexcept>
#include <string>

namespace safefile {

// what() is a UTF-8 message naming the file and the reason, ready to be shown to the user.
class FileError : public std::runtime_error {
public:
    // "Erro ao <action> o arquivo <file>: " and the system's reason for error, in Portuguese.
    FileError(const std::string& file, int error, const std::string& action);
    // The same with a reason of the caller's; error() is then 0.
    FileError(const std::string& file, const std::string& action, const std::string& reason);
    const std::string& file() const { return file_; }
    int error() const { return error_; }

protected:
    struct Message {
        std::string text;
    };
    // A message of the subclass's own, whole; error is the system's error number, or 0.
    FileError(Message message, const std::string& file, int error = 0);

private:
    std::string file_;
    int error_;
};

}  // namespace safefile
