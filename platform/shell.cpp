#include "platform/shell.h"

#include <cctype>

namespace shell {
namespace {

class NoOpener final : public Opener {
public:
    bool Open(const std::string&) override { return false; }
};

NoOpener noOpener;
Opener* current = &noOpener;

}  // namespace

Opener* Install(Opener* opener) {
    Opener* previous = current;
    current = opener ? opener : &noOpener;
    return previous;
}

bool Open(const std::string& target) { return current->Open(target); }

bool IsAddress(const std::string& target) {
    const size_t colon = target.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

}  // namespace shell
