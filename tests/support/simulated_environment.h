#pragma once
// The desktop program's environment on the simulated instruments of --simulate, on real time.
#include <unistd.h>

#include <string>

#include "app/environment.h"
#include "app/simulation.h"
#include "sim/sim_serial_port.h"

namespace testing_support {

struct SimulatedEnvironment {
    explicit SimulatedEnvironment(const std::string& switches = {})
        : simulation(clock, "/tmp/krn-gui-" + std::to_string(::getpid())),
          started(simulation.start()),
          ports({simulation.ptyPath()}),
          env{clock,  settings, simulation.usb(), ports, {"127.0.0.1", simulation.modulePort()},
              "/tmp", switches} {}

    platform::SystemClock clock;
    app::Simulation simulation;
    bool started;
    platform::MemorySettingsStore settings;
    sim::SimPortEnumerator ports;
    app::Environment env;
};

}  // namespace testing_support
