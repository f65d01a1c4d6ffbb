#include "convert/talker.hpp"

namespace zum {

std::string SkippedTalkers::Names() const {
    std::string names;
    for (std::size_t i = 0; i < talkers_.size(); ++i) {
        if (talkers_.test(i)) {
            if (!names.empty()) {
                names += ", ";
            }
            names += '$';
            names += static_cast<char>('A' + i / 26);
            names += static_cast<char>('A' + i % 26);
            names += "RMC";
        }
    }
    return names;
}

} // namespace zum
