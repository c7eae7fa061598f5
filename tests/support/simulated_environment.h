#pragma once
// The desktop program's environment on the simulated instruments of --simulate, on real time
// (or on a clock of the test's choice).
#include <unistd.h>

#include <string>

#include "app/environment.h"
#include "app/simulation.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_usb_bridge.h"

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

// The environment without instruments: a USB bridge without devices, no serial port.
template <typename ClockType = platform::SystemClock>
struct BasicOfflineEnvironment {
    explicit BasicOfflineEnvironment(std::string folder = "/tmp", std::string switches = {})
        : usb(clock), env{clock,
                          settings,
                          usb,
                          ports,
                          {"127.0.0.1", 9},
                          std::move(folder),
                          std::move(switches)} {}

    ClockType clock;
    platform::MemorySettingsStore settings;
    sim::SimUsbBridge usb;
    sim::SimPortEnumerator ports{std::vector<std::string>{}};
    app::Environment env;
};

using OfflineEnvironment = BasicOfflineEnvironment<>;

}  // namespace testing_support
