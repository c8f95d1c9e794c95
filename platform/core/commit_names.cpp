// The names of a data file's commit temporaries, the same on every system.
#include "os_files.h"

// Called by the file services when they look for stale temporaries beside a data file.
bool IsCommitTemporary(const std::string& entry, const std::string& name) {
    const std::string prefix = "." + name + ".";
    if (entry.size() != prefix.size() + TemporarySuffixLength) return false;
    if (entry.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = prefix.size(); i < entry.size(); ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}
