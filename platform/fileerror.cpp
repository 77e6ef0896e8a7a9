#include "platform/fileerror.h"

#include <cerrno>
#include <cstring>

namespace safefile {
namespace {

// The system's reason in Portuguese for the failures users meet; the system's own text
// for the rest.
std::string reasonText(int error) {
    switch (error) {
        case ENOENT: return "arquivo ou pasta inexistente";
        case EACCES: case EPERM: return "permiss\xC3\xA3o negada";
        case ENOSPC: return "n\xC3\xA3o h\xC3\xA1 espa\xC3\xA7o no disco";
        case EDQUOT: return "cota de disco esgotada";
        case EISDIR: return "\xC3\xA9 uma pasta";
        case ENOTDIR: return "parte do caminho n\xC3\xA3o \xC3\xA9 uma pasta";
        case EROFS: return "disco somente para leitura";
        case EFBIG: return "arquivo grande demais";
        case ENAMETOOLONG: return "nome longo demais";
        case EINVAL: return "n\xC3\xA3o \xC3\xA9 um arquivo comum";
        case EIO: return "erro de entrada/sa\xC3\xAD" "da";
        case ENOMEM: return "mem\xC3\xB3ria insuficiente";
        case ENXIO: return "ningu\xC3\xA9m l\xC3\xAA deste canal";
        default: return std::strerror(error);
    }
}

}  // namespace

FileError::FileError(const std::string& file, int error, const std::string& action)
    : std::runtime_error("Erro ao " + action + " o arquivo " + file + ": " + reasonText(error)),
      file_(file),
      error_(error) {}

FileError::FileError(const std::string& file, const std::string& action, const std::string& reason)
    : std::runtime_error("Erro ao " + action + " o arquivo " + file + ": " + reason), file_(file), error_(0) {}

FileError::FileError(Message message, const std::string& file, int error)
    : std::runtime_error(message.text), file_(file), error_(error) {}

}  // namespace safefile
