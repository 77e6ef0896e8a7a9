#pragma once
// UTF-8 decoding shared by the parser and the reply builder: the system's own decoder.
#include "platform/codepage.h"

namespace oxserver {
using codepage::DecodeUtf8;
}  // namespace oxserver
