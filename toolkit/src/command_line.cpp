#include "command_line.h"

#include <strings.h>

#include <string>
#include <vector>

#include "helm/kernel/process.h"

bool helm::toolkit::has_argument(const char* commandLine, const char* word)
{
    if (!commandLine)
        return false;
    const std::vector<std::string> words = helm::kernel::split_command_line(commandLine);
    for (size_t i = 1; i < words.size(); ++i) {
        if (strcasecmp(words[i].c_str(), word) == 0)
            return true;
    }
    return false;
}
