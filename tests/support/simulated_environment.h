#pragma once
// The desktop program's environment on the simulated instruments of --simulate, on real time
// (or on a clock of the test's choice).
#include <unistd.h>

#include <string>

#include "app/environment.h"
#include "app/simulation.h"
#include "sim/sim_serial_port.h"

namespace testing_support {

template <typename ClockType = platform::SystemClock>
struct BasicSimulatedEnvironment {
    explicit BasicSimulatedEnvironment(const std::string& switches = {})
        : simulation(clock, "/tmp/krn-gui-" + std::to_string(::getpid())),
          started(simulation.start()),
          ports({simulation.ptyPath()}),
          env{clock,  settings, simulation.usb(), ports, {"127.0.0.1", simulation.modulePort()},
              "/tmp", switches} {}

    ClockType clock;
    app::Simulation simulation;
    bool started;
    platform::MemorySettingsStore settings;
    sim::SimPortEnumerator ports;
    app::Environment env;
};

using SimulatedEnvironment = BasicSimulatedEnvironment<>;

}  // namespace testing_support
