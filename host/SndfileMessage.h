// libsndfile's last error as the end of one of our lines.
#pragma once

#include <sndfile.h>

#include <string>

// Without libsndfile's "System error : " or "Error : " in front and its
// closing full stop; `file` null for a failed open.
inline std::string sndfileMessage(SNDFILE* file) {
    std::string message = sf_strerror(file);
    for (const char* prefix : {"System error : ", "Error : "})
        if (message.rfind(prefix, 0) == 0) message.erase(0, std::char_traits<char>::length(prefix));
    while (!message.empty() && (message.back() == '.' || message.back() == '\n')) message.pop_back();
    return message;
}
