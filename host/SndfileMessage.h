// libsndfile's last error as the end of one of our lines.
#pragma once

#include <sndfile.h>

#include <string>

// Without libsndfile's closing full stop; `file` null for a failed open.
inline std::string sndfileMessage(SNDFILE* file) {
    std::string message = sf_strerror(file);
    while (!message.empty() && (message.back() == '.' || message.back() == '\n')) message.pop_back();
    return message;
}
