// The parts of a path and the names of a data file's commit temporaries, the same on every
// system.
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

// Called by the file services for a commit's temporary and lock names and for folders to sync.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
