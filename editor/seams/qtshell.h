#pragma once
// The shell seam as the desktop program runs it: the desktop's default program for a file,
// folder or web address.
#include "platform/shell.h"

class QtShell final : public shell::Opener {
public:
    bool Open(const std::string& target) override;
};
