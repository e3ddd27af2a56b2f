#pragma once
// The program's folder: the folder that holds the executable. Every file the program
// uses is a fixed name inside it ("PORT.ini", "Schreiber.txt", "FILES/Vor/", "Data/").

#include <filesystem>

namespace schreiber::platform {

std::filesystem::path executable_folder();

}  // namespace schreiber::platform
