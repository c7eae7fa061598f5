#pragma once
// The instrument's own memory test (commands 36, 37 and 38): started with a number of cycles,
// followed through its state, stopped. The test erases the memory it tests.
#include <cstdint>
#include <optional>

#include "link/frame_link.h"

namespace instrument {

// What command 37 tells about a running test.
struct StatoTestMemoria {
    bool errore = false;   // a cell failed (bit 1 of the first byte)
    int cicliRimasti = 0;  // the second byte while the test runs (bit 0), else 0
};

class MemoryTest {
public:
    explicit MemoryTest(krnlink::FrameLink& link) : link_(link) {}

    // Command 36 with the count, sent only for an even count from 0 to 254; anything else sends
    // nothing and fails. The instrument answers one byte, the count it runs, which replaces
    // `cicli`.
    bool StartTestMemory(int& cicli);
    // Command 37: exactly two bytes, else nothing.
    std::optional<StatoTestMemoria> StatoTestMemory();
    // Command 38.
    bool StopTestMemory();

    // Set by a test started, down once the instrument reported it ended or it was stopped.
    bool inCorso() const { return inCorso_; }
    void reset() { inCorso_ = false; }

private:
    krnlink::FrameLink& link_;
    bool inCorso_ = false;
};

}  // namespace instrument
