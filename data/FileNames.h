// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero {

// The two data files of this run; the exchange dialog's pickers replace them.
struct FileNames {
    std::string FooterFileName = "stopki.txt";
    std::string BindingFileName = "wiazplu.txt";
};

}  // namespace kalvero
