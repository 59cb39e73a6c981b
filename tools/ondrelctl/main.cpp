#include "Command.h"

#include <clocale>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    // The user's locale decides how "contains" patterns compare, as in the application.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = ondrel::ctl::dispatch(args, {std::cout, std::cerr});
    // A result that never reached its reader (a full disk, a closed pipe) is no success.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ondrelctl: could not write the output\n";
        return ondrel::ctl::exitOutputFailed;
    }
    return status;
}
