#pragma once
// The shell seam: hands a file, a folder or a web address to the program that the desktop
// associates with it (a page to the browser, a folder to the file manager). The program
// installs an opener that asks the desktop; tests install one that records.
#include <string>

namespace shell {

class Opener {
public:
    virtual ~Opener() = default;
    // Opens target: a web address ("http://...") or a native path, a bare name resolving
    // against the current directory. Does not wait for the started program. True when the
    // desktop accepted the request; callers do not look at it.
    virtual bool Open(const std::string& target) = 0;
};

// Installs the opener used from now on (nullptr: the default, which opens nothing and
// answers false). The caller keeps ownership; returns the previous opener.
Opener* Install(Opener* opener);

bool Open(const std::string& target);

// Whether target is a web address (a scheme followed by "://") rather than a path.
bool IsAddress(const std::string& target);

}  // namespace shell
