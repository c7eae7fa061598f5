#pragma once
// The one version of krnsetup, krnctl and krnsim: the project version of the build and, where
// the tree was a git clone, the commit it was built from.
#include <string>

namespace platform {

// "1.0.0"
const char* versionNumber();
// "1.0.0 (commit 1a2a324c0d1e)"; "1.0.0" outside a clone. A commit with uncommitted changes on
// top says so ("1a2a324c0d1e-modified").
std::string versionText();

}  // namespace platform
