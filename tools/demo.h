// The driver's demo on its built-in test picture (qlnu demo).
#pragma once

#include <string>

// Prints the table of paths and writes the decoded RGB pictures into `folder`; true when every
// path passed.
bool RunDemo(const std::string& folder);
