#pragma once
// Whether the test program runs on a real X server (Xvfb) started by its entry point.
namespace testing_support {
bool xServerRunning();
}
