// libFuzzer target: the INI reader and the restore's key checks on arbitrary bytes. The seeds
// are in tools/fuzz/corpus/backup; libFuzzer writes new inputs into the first folder it is
// given, so that folder is a scratch one outside the tree (see docs/backup.md):
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKRN_FUZZ=ON
//   -DBUILD_TESTING=OFF mkdir -p /tmp/krn-fuzz && build-fuzz/tools/fuzz/fuzz_backup /tmp/krn-fuzz
//   tools/fuzz/corpus/backup
#include <cstddef>
#include <cstdint>
#include <string>

#include "backup/ini_file.h"
#include "backup/restore_procedure.h"
#include "instrument/uckrnvisual.h"
#include "sim/sim_instrument.h"
#include "sim/sim_serial_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    backup::IniFile ini;
    ini.Carica(bytes);
    ini.Chiave("STRUMENTO");
    for (const char* key :
         {"Device", "Estensioni", "PWHW", "NOMEUT1", "FREQACQ", "UDPFLEX_IP", "VITAUTENSILE"}) {
        ini.Target(key);
        (void)ini.ValString();
        (void)ini.ValLong();
        (void)ini.ValInteger();
        (void)ini.ValData();
        (void)ini.ValPassword(0x5A);
        float x = 0, y = 0;
        (void)ini.GetPunto(x, y);
    }
    static platform::VirtualClock clock;
    for (const char* profile : {"p36e51", "p41e1072"}) {
        sim::SimInstrument instrument(*sim::findProfile(profile));
        sim::SimSerialPort port(instrument, clock, "/dev/fuzz");
        instrument::UCKRNVisual control(clock, nullptr, nullptr);
        control.HandlePorta(&port);
        if (!control.ApriComunicazione232(std::string("/dev/fuzz"))) continue;
        backup::IniFile file;
        file.Carica(bytes);
        backup::EseguiRipristino(control, file, true, true, true);
        control.ChiudiPortaComunicazione();
    }
    return 0;
}
