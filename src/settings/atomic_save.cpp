#include "settings/atomic_save.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace zum {

bool SaveFileAtomically(const std::filesystem::path& path, std::string_view content,
                        std::string& reason) {
    std::error_code ec;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    std::filesystem::path temp = path;
    temp += ".saving";
    std::FILE* file = std::fopen(temp.string().c_str(), "wb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        reason = std::strerror(!written ? writeError : errno);
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        reason = ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace zum
