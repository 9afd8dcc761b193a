// The toolkit's reading of the command line.
#pragma once

namespace helm::toolkit {
// True when one of the arguments after the program's name is `word`
// (ASCII case ignored). A word inside a path ("/rtfdata/x") does not count.
bool has_argument(const char* commandLine, const char* word);
}  // namespace helm::toolkit
