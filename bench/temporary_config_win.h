// The configuration of a benchmark's main window, in a temporary file.
#pragma once

#include <string>

// The configuration goes to a temporary file named by the installation key,
// so that neither the window placement nor anything else touches the user's
// own files; the key's earlier value comes back at the end.
class TemporaryConfig {
public:
    TemporaryConfig();
    ~TemporaryConfig();
    TemporaryConfig(const TemporaryConfig &) = delete;
    TemporaryConfig &operator=(const TemporaryConfig &) = delete;

private:
    static void SetValue(const std::string &value);

    std::string path_;
    bool keyExisted_ = false;
    bool valueExisted_ = false;
    std::string oldValue_;
};
