#include "app_dir.h"

namespace core {

std::string AppDirFromModulePath(const std::string& path) {
    const size_t last = path.find_last_of('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace core
