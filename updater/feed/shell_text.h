#pragma once
// What the shell would make of a text handed to it as a link.

#include <string_view>

// True when ExpandEnvironmentStringsW would change `text`: it names a variable of this
// environment between two '%' (%USERNAME%, %USERPROFILE%...). Such a text is never handed to the
// shell as a link, which would expand it and send the user's name and folders to a web server.
bool ShellWouldExpand(std::wstring_view text);
